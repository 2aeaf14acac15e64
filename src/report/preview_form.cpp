// The preview window: the first activation that opens the stream, showing a page at a zoom,
// the buttons, the mouse and the arrow keys.
#include "report/preview_form.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/form_placement.h"
#include "controls/explorer_button.h"
#include "controls/whats_this.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "platform/ui/system_colors.h"
#include "report/magnifier_cursor.h"
#include "ui_preview_form.h"

namespace report {

namespace {

constexpr int kHelpContext = 1017;
constexpr int kScreenDpi = 96;  // the zoom's 100 percent: the page at its size on the screen

}  // namespace

TPreviewForm::TPreviewForm(std::string iniFile, QString helpFile, QWidget* parent)
    : ui::TDialog(parent),
      ui_(std::make_unique<Ui::TPreviewForm>()),
      iniFile_(std::move(iniFile)),
      helpFile_(std::move(helpFile)) {
    ui_->setupUi(this);
    // Unlike the dialogs, this window is sized and maximised at will.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    SetKeyPreview(true);

    pageHolder_ = new QWidget;
    pageHolder_->setAutoFillBackground(true);
    QPalette face = pageHolder_->palette();
    face.setColor(QPalette::Window, ui::sysColor(ui::SysColor::ButtonFace));
    pageHolder_->setPalette(face);
    page_ = new QLabel(pageHolder_);
    ui_->ScrollBox1->setWidget(pageHolder_);
    ui_->ScrollBox1->viewport()->setPalette(face);
    const QCursor magnifier = MagnifierCursor(devicePixelRatioF());
    for (QWidget* target :
         {ui_->ScrollBox1->viewport(), pageHolder_, static_cast<QWidget*>(page_)}) {
        target->setCursor(magnifier);
        target->installEventFilter(this);
    }
    // Every control but the page carries "What's this?": a right click on the page zooms out.
    controls::InstallHelp(this);
    QList<QWidget*> withMenu = controls::ControlsWithHelpEntries(this);
    withMenu.removeAll(ui_->ScrollBox1);
    QMenu* whatsThis = controls::MakeWhatsThisMenu(this, withMenu, whatsThisTarget_);
    connect(whatsThis, &QMenu::triggered, this, &TPreviewForm::WhatsthisClick);
    RestoreFormPlacement(this, iniFile_);
}

TPreviewForm::~TPreviewForm() = default;

void TPreviewForm::SetStream(ByteStream& stream) {
    preview_.SetStreamMode(TStreamMode::smUser);
    preview_.SetStream(&stream);
}

QScrollArea* TPreviewForm::ScrollBox1() const {
    return ui_->ScrollBox1;
}

int TPreviewForm::ShownPage() const {
    return preview_.CurrentPage() - preview_.Header().firstPage + 1;
}

PreviewBox TPreviewForm::Box() const {
    const QScrollArea* box = ui_->ScrollBox1;
    PreviewBox measures;
    measures.pageWidth = preview_.Header().paperWidth;
    measures.pageHeight = preview_.Header().paperHeight;
    measures.dpiX = measures.dpiY = kScreenDpi;
    measures.outerWidth = box->width();
    measures.outerHeight = box->height();
    measures.borderWidth = measures.borderHeight = 2 * box->frameWidth();
    measures.scrollBarWidth = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    return measures;
}

void TPreviewForm::FormShow() {
    // As the print-status window: the first activation comes even without a window manager.
    if (firstActivation_) {
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

void TPreviewForm::FormActivate() {
    if (!firstActivation_) {
        return;
    }
    firstActivation_ = false;
    if (const xbase::Status opened = preview_.Open(); !opened) {
        ShowFailure(opened);
        return;
    }
    running_ = true;
    // The starting zoom is settled before the first page is drawn, so that it is drawn once.
    const double start = StartingZoom == kStartWholePage   ? -1
                         : StartingZoom == kStartPageWidth ? -2
                                                           : StartingZoom;
    const PreviewBox box = Box();
    preview_.SetZoomFactor(SettleZoom(start, PageWidthZoom(box), WholePageZoom(box)));
    ShowPage(preview_.Header().firstPage);
    if (preview_.PageCount() < 2) {
        for (QWidget* button : {ui_->sbFirstPage, ui_->sbPrevPage, ui_->sbNextPage,
                                ui_->sbLastPAge}) {
            button->hide();
        }
    }
}

void TPreviewForm::FormClose() {
    if (running_) {
        running_ = false;
        pageImage_ = {};
        page_->clear();
    }
    SaveFormPlacement(this, iniFile_);
}

void TPreviewForm::SetZoomFactor(double z) {
    const PreviewBox box = Box();
    preview_.SetZoomFactor(SettleZoom(z, PageWidthZoom(box), WholePageZoom(box)));
    if (running_) {
        ShowPage(preview_.CurrentPage());
    }
}

void TPreviewForm::ShowPage(int n) {
    if (!running_) {
        return;
    }
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    const qreal ratio = devicePixelRatioF();
    QImage image;
    const xbase::Status drawn = preview_.RenderPage(n, image, ratio);
    if (!drawn) {
        ui::SetScreenCursor(ui::ScreenCursor::Default);
        ShowFailure(drawn);
        return;
    }
    UpdateCaption();
    QScrollBar* across = ui_->ScrollBox1->horizontalScrollBar();
    QScrollBar* down = ui_->ScrollBox1->verticalScrollBar();
    const int x = across->value();
    const int y = down->value();
    across->setValue(0);
    down->setValue(0);
    {
        // The page's outline, one screen pixel wide whatever the pixel ratio.
        QPainter outline(&image);
        outline.setPen(QPen(Qt::black, 0));
        const QSizeF size = image.deviceIndependentSize();
        outline.drawRect(QRectF(0, 0, size.width() - 1 / ratio, size.height() - 1 / ratio));
    }
    pageImage_ = image;
    const QSize shown = image.deviceIndependentSize().toSize();
    const int m = PreviewMargin(Box());
    page_->setPixmap(QPixmap::fromImage(image));
    page_->setGeometry(m, m, shown.width(), shown.height());
    pageHolder_->resize(shown.width() + 2 * m, shown.height() + 2 * m);
    across->setValue(x);
    down->setValue(y);
    ui::SetScreenCursor(ui::ScreenCursor::Default);
}

void TPreviewForm::UpdateCaption() {
    setWindowTitle(QString::fromStdString(
        PreviewCaption(ShownPage(), preview_.PageCount(), preview_.ZoomFactor())));
}

void TPreviewForm::ShowFailure(const xbase::Status& status) {
    ui::MessageBox(QString::fromLocal8Bit(status.message().c_str()), ui::ApplicationTitle(),
                   ui::kMbOk | ui::kMbIconHand);
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    // Key preview watches the whole application too: only presses on the page or its box zoom.
    const bool onPage =
        watched == ui_->ScrollBox1->viewport() || watched == pageHolder_ || watched == page_;
    if (onPage && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton) {
            ZoomInButtonClick();
        } else {
            ZoomOutButtonClick();
        }
        return true;
    }
    return ui::TDialog::eventFilter(watched, event);
}

void TPreviewForm::FormKeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
        return;
    }
    QScrollBar* bar = ui_->ScrollBox1->verticalScrollBar();
    const int step = event->key() == Qt::Key_Up ? -bar->singleStep() : bar->singleStep();
    bar->setValue(std::clamp(bar->value() + step, 0, bar->maximum()));
    event->accept();
}

void TPreviewForm::OkButtonClick() {
    SetModalResult(ui::kModalOk);
}

void TPreviewForm::ZoomInButtonClick() {
    SetZoomFactor(preview_.ZoomFactor() + kZoomStep);
}

void TPreviewForm::ZoomOutButtonClick() {
    SetZoomFactor(preview_.ZoomFactor() - kZoomStep);
}

void TPreviewForm::PageWidthButtonClick() {
    SetZoomFactor(PageWidthZoom(Box()));
}

void TPreviewForm::WholePageButtonClick() {
    SetZoomFactor(WholePageZoom(Box()));
}

void TPreviewForm::Zoom100ButtonClick() {
    SetZoomFactor(100);
}

void TPreviewForm::FirstPageButtonClick() {
    ShowPage(preview_.Header().firstPage);
}

void TPreviewForm::PrevPageButtonClick() {
    if (ShownPage() > 1) {
        ShowPage(preview_.CurrentPage() - 1);
    }
}

void TPreviewForm::NextPageButtonClick() {
    if (ShownPage() < preview_.PageCount()) {
        ShowPage(preview_.CurrentPage() + 1);
    }
}

void TPreviewForm::LastPageButtonClick() {
    ShowPage(preview_.Header().lastPage);
}

void TPreviewForm::HelpButtonClick() {
    ui::ShowHelp(helpFile_, kHelpContext);
}

void TPreviewForm::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TPreviewForm::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}

}  // namespace report
