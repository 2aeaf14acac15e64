// TSplashform: the About box, with the program's picture, version and build labels.
#pragma once

#include <memory>

#include "platform/ui/forms.h"

namespace Ui {
class TSplashform;
}

namespace controls {
class TExplorerButton;
}

class QLabel;

class TSplashform : public ui::TDialog {
    Q_OBJECT

  public:
    explicit TSplashform(QWidget* parent = nullptr);
    ~TSplashform() override;

    QLabel* Label1() const;
    QLabel* Label2() const;
    controls::TExplorerButton* OKButton() const;

  public Q_SLOTS:
    void FormCreate();
    void OKButtonClick();

  private:
    std::unique_ptr<Ui::TSplashform> ui_;
};
