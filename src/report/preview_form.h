// TPreviewForm: the printed report on screen a page at a time, from the report stream the
// print-status window recorded, with paging and zooming; its placement is kept in TODO.INI.
#pragma once

#include <QImage>
#include <QPointer>

#include <memory>
#include <string>

#include "platform/ui/forms.h"
#include "report/draw/file_player.h"
#include "report/preview_zoom.h"

namespace Ui {
class TPreviewForm;
}
class QKeyEvent;
class QLabel;
class QScrollArea;

namespace report {

// What the preview opens at: the whole page, the page's width, or a zoom in percent.
inline constexpr int kStartWholePage = 1;
inline constexpr int kStartPageWidth = 2;

class TPreviewForm : public ui::TDialog {
    Q_OBJECT

  public:
    // `iniFile` keeps the window's placement; `helpFile` is opened at the preview's topic.
    TPreviewForm(std::string iniFile, QString helpFile, QWidget* parent = nullptr);
    ~TPreviewForm() override;

    // The recorded report; it must outlive the window.
    void SetStream(ByteStream& stream);
    int StartingZoom = kStartWholePage;

    TFilePreview& FilePreview1() { return preview_; }
    QScrollArea* ScrollBox1() const;
    bool Running() const { return running_; }
    // The page shown, counted from 1 within the stream.
    int ShownPage() const;
    double ZoomFactor() const { return preview_.ZoomFactor(); }
    // Settles `z` by the zoom rules and shows the current page again at it.
    void SetZoomFactor(double z);
    void ShowPage(int n);
    // The scroll box's measures the zoom rules fit the page into.
    PreviewBox Box() const;
    const QImage& PageImage() const { return pageImage_; }

  public Q_SLOTS:
    void FormShow();
    void FormActivate();
    void FormClose();
    void FormKeyDown(QKeyEvent* event);
    void OkButtonClick();
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void PageWidthButtonClick();
    void WholePageButtonClick();
    void Zoom100ButtonClick();
    void FirstPageButtonClick();
    void PrevPageButtonClick();
    void NextPageButtonClick();
    void LastPageButtonClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();

  protected:
    // A mouse button on the page or the box around it zooms.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void UpdateCaption();
    void ShowFailure(const xbase::Status& status);

    std::unique_ptr<Ui::TPreviewForm> ui_;
    std::string iniFile_;
    QString helpFile_;
    QPointer<QWidget> whatsThisTarget_;  // the control the menu was last opened on
    TFilePreview preview_;
    QWidget* pageHolder_ = nullptr;  // the page with its margin, in the scroll box
    QLabel* page_ = nullptr;
    QImage pageImage_;
    bool firstActivation_ = true;
    bool running_ = false;
};

}  // namespace report
