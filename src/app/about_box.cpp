// The About box: fixed size, above other windows, closed by its OK button.
#include "app/about_box.h"

#include "app/app_icon.h"
#include "controls/explorer_button.h"
#include "platform/ui/application.h"
#include "ui_about_box.h"

TSplashform::TSplashform(QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TSplashform>()) {
    ui_->setupUi(this);
    ui_->Image1->setPixmap(AboutPicture(devicePixelRatioF()));
    setFixedSize(size());
    ui::SetTopmost(this, true);
}

TSplashform::~TSplashform() = default;

QLabel* TSplashform::Label1() const {
    return ui_->Label1;
}

QLabel* TSplashform::Label2() const {
    return ui_->Label2;
}

controls::TExplorerButton* TSplashform::OKButton() const {
    return ui_->OKButton;
}

void TSplashform::FormCreate() {
    ui_->Label2->setText(QStringLiteral("32-bit version for Windows 95"));
}

void TSplashform::OKButtonClick() {
    SetModalResult(ui::kModalOk);
}
