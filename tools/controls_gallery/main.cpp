// The controls gallery: shows every custom control in its states; with --screenshot FILE it
// saves a picture of its window and ends.
#include <QApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/gauge.h"
#include "controls/glyphs.h"
#include "controls/graphic_panel.h"
#include "controls/splitter.h"
#include "platform/fonts/fonts.h"
#include "platform/ui/system_colors.h"

using namespace controls;

namespace {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

TExplorerButton* button(QWidget* parent, const QString& caption, Glyph glyph, bool withGlyph,
                        TButtonLayout layout = TButtonLayout::blBitmapTop) {
    auto* b = new TExplorerButton(parent);
    b->setCaption(caption);
    if (withGlyph) {
        b->setBitmap(glyphImage(glyph));
    }
    b->setLayout(layout);
    b->setFixedSize(72, 44);
    return b;
}

void makeHot(TExplorerButton* b) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(b, &enter);
}

void makePressed(TExplorerButton* b) {
    makeHot(b);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &press);
}

QWidget* buttonsSection(QWidget* parent, QMenu* menu) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    const QStringList states = {QStringLiteral("rest"), QStringLiteral("hot"),
                                QStringLiteral("pressed"), QStringLiteral("disabled")};
    struct Row {
        QString caption;
        Glyph glyph;
        bool withGlyph;
        TButtonLayout layout;
        bool menu;
        bool iconOnly;
    };
    const QList<Row> rows = {
        {QStringLiteral("Ok"), Glyph::Check, true, TButtonLayout::blBitmapLeft, false, false},
        {QStringLiteral("&Cancel"), Glyph::Cross, true, TButtonLayout::blBitmapLeft, false, false},
        {QStringLiteral("&Help"), Glyph::Question, true, TButtonLayout::blBitmapTop, false, false},
        {QStringLiteral("What's this"), Glyph::WhatsThis, true, TButtonLayout::blBitmapTop, false,
         true},
        {QStringLiteral("Key words"), Glyph::Key, true, TButtonLayout::blBitmapTop, true, true},
        {QStringLiteral("Quick Date"), Glyph::Check, false, TButtonLayout::blBitmapTop, true,
         false},
        {QStringLiteral("Year-"), Glyph::TrianglesLeft, true, TButtonLayout::blBitmapLeft, false,
         false},
        {QStringLiteral("Month +"), Glyph::TriangleRight, true, TButtonLayout::blBitmapRight, false,
         false},
    };
    for (int c = 0; c < states.size(); ++c) {
        grid->addWidget(new QLabel(states[c], box), 0, c + 1);
    }
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(QString(row.caption).remove(QLatin1Char('&')), box), r, 0);
        for (int c = 0; c < states.size(); ++c) {
            TExplorerButton* b = button(box, row.caption, row.glyph, row.withGlyph, row.layout);
            if (row.iconOnly) {
                b->setOptions(b->options() | TButtonOption::boIconOnly);
            }
            if (row.menu) {
                b->setDropDownMenu(menu);
            }
            grid->addWidget(b, r, c + 1);
            if (c == 3) {
                b->setEnabled(false);
            }
        }
        ++r;
    }
    // A group of three with one down, and a calendar and a clock glyph.
    grid->addWidget(new QLabel(QStringLiteral("group"), box), r, 0);
    for (int c = 0; c < 3; ++c) {
        TExplorerButton* b =
            button(box, QStringLiteral("Item %1").arg(c + 1),
                   c == 0 ? Glyph::Calendar : (c == 1 ? Glyph::Clock : Glyph::Key), true);
        b->setGroupIndex(1);
        grid->addWidget(b, r, c + 1);
        if (c == 1) {
            b->setDown(true);
        }
    }
    auto* downDisabled = button(box, QStringLiteral("Down off"), Glyph::Clock, true);
    downDisabled->setGroupIndex(2);
    downDisabled->setDown(true);
    downDisabled->setEnabled(false);
    grid->addWidget(downDisabled, r, 4);
    return box;
}

QWidget* splittersSection(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    struct Kind {
        QString name;
        TSplitStyle style;
        TBorderStyle border;
    };
    const QList<Kind> kinds = {
        {QStringLiteral("Auto"), TSplitStyle::oxsAuto, TBorderStyle::bsSingle},
        {QStringLiteral("Win31"), TSplitStyle::oxsWin31, TBorderStyle::bsSingle},
        {QStringLiteral("Win95"), TSplitStyle::oxsWin95, TBorderStyle::bsSingle},
        {QStringLiteral("Inset"), TSplitStyle::oxsInset, TBorderStyle::bsSingle},
        {QStringLiteral("Groove"), TSplitStyle::oxsGroove, TBorderStyle::bsSingle},
        {QStringLiteral("no border"), TSplitStyle::oxsWin95, TBorderStyle::bsNone},
    };
    int c = 0;
    for (const Kind& k : kinds) {
        grid->addWidget(new QLabel(k.name, box), 0, c);
        for (int o = 0; o < 2; ++o) {
            auto* s = new ToxSplit(box);
            s->setFixedSize(120, 80);
            s->setStyle(k.style);
            s->setBorderStyle(k.border);
            s->setOrientation(o == 0 ? TSplitOrientation::oxsVert : TSplitOrientation::oxsHorz);
            s->setBarPosition(o == 0 ? 50 : 30);
            for (int p = 0; p < 2; ++p) {
                auto* content = new QLabel(QStringLiteral("pane %1").arg(p + 1));
                content->setAutoFillBackground(true);
                QPalette pal = content->palette();
                pal.setColor(QPalette::Window, ui::sysColor(ui::SysColor::Window));
                content->setPalette(pal);
                s->pane(p)->setWidget(content);
            }
            grid->addWidget(s, o + 1, c);
        }
        ++c;
    }
    return box;
}

QWidget* gaugesSection(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    const QList<std::pair<QString, TGaugeKind>> kinds = {
        {QStringLiteral("text"), TGaugeKind::gkText},
        {QStringLiteral("horizontal"), TGaugeKind::gkHorizontalBar},
        {QStringLiteral("vertical"), TGaugeKind::gkVerticalBar},
        {QStringLiteral("pie"), TGaugeKind::gkPie},
        {QStringLiteral("needle"), TGaugeKind::gkNeedle},
    };
    const int percents[] = {0, 25, 50, 100};
    for (int c = 0; c < 4; ++c) {
        grid->addWidget(new QLabel(QStringLiteral("%1 %").arg(percents[c]), box), 0, c + 1);
    }
    int r = 1;
    for (const auto& [name, kind] : kinds) {
        grid->addWidget(new QLabel(name, box), r, 0);
        for (int c = 0; c < 4; ++c) {
            auto* g = new TGauge(box);
            g->setKind(kind);
            g->setFixedSize(kind == TGaugeKind::gkHorizontalBar ? QSize(120, 24) : QSize(64, 56));
            g->setForeColor(kind == TGaugeKind::gkHorizontalBar ? QColor(0, 0, 128)
                                                                : QColor(0, 0, 0));
            g->setProgress(percents[c]);
            grid->addWidget(g, r, c + 1);
        }
        ++r;
    }
    auto* noBorder = new TGauge(box);
    noBorder->setFixedSize(120, 24);
    noBorder->setBorderStyle(TBorderStyle::bsNone);
    noBorder->setProgress(100);
    grid->addWidget(new QLabel(QStringLiteral("no border"), box), r, 0);
    grid->addWidget(noBorder, r, 1);
    return box;
}

QWidget* panelsSection(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(2);
    for (int h = 0; h < 12; ++h) {
        auto* p = new TGraphicPanel(box);
        p->setFixedSize(24, 19);
        p->setCaption(QString::number(h == 0 ? 12 : h));
        p->setColor(h == 7 ? QColor(255, 255, 0) : QColor(192, 192, 192));
        grid->addWidget(p, h / 6, h % 6);
    }
    auto* framed = new TGraphicPanel(box);
    framed->setFixedSize(120, 30);
    framed->setCaption(QStringLiteral("border + inner"));
    framed->setBorderStyle(TBorderStyle::bsSingle);
    framed->setBevelInner(TPanelBevel::bvLowered);
    framed->setBevelWidth(2);
    framed->setBorderWidth(2);
    grid->addWidget(framed, 0, 7, 2, 1);
    return box;
}

QWidget* calendarSection(QWidget* parent) {
    auto* calendar = new TCalendar(parent);
    calendar->setFixedSize(413, 132);
    rtl::TDateTime day = 0;
    rtl::TryEncodeDate(2026, 12, 8, day);
    calendar->setCalendarDate(day);
    return calendar;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setPalette(ui::classicPalette());
    ui::installFontMapping();
    QApplication::setFont(ui::dialogFont());

    QString screenshot;
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
    if (at >= 0 && at + 1 < args.size()) {
        screenshot = args[at + 1];
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Controls gallery"));
    QMenu menu(&window);
    menu.addAction(QStringLiteral("Today"));
    menu.addAction(QStringLiteral("Tomorrow"));

    auto* grid = new QGridLayout(&window);
    grid->addWidget(heading(QStringLiteral("Explorer buttons"), &window), 0, 0);
    QWidget* buttons = buttonsSection(&window, &menu);
    grid->addWidget(buttons, 1, 0, 3, 1);
    grid->addWidget(heading(QStringLiteral("Gauges"), &window), 0, 1);
    grid->addWidget(gaugesSection(&window), 1, 1);
    grid->addWidget(heading(QStringLiteral("Splitters"), &window), 4, 0);
    grid->addWidget(splittersSection(&window), 5, 0);
    grid->addWidget(heading(QStringLiteral("Graphic panels"), &window), 2, 1);
    grid->addWidget(panelsSection(&window), 3, 1);
    grid->addWidget(heading(QStringLiteral("Calendar"), &window), 4, 1);
    grid->addWidget(calendarSection(&window), 5, 1);
    window.show();

    // The hot and pressed columns are put into their states the way the mouse would.
    const auto rows = buttons->findChildren<TExplorerButton*>();
    for (TExplorerButton* b : rows) {
        const int index = static_cast<QGridLayout*>(buttons->layout())->indexOf(b);
        int row = 0, column = 0, rs = 0, cs = 0;
        static_cast<QGridLayout*>(buttons->layout())
            ->getItemPosition(index, &row, &column, &rs, &cs);
        if (b->groupIndex() != 0) {
            continue;
        }
        if (column == 2) {
            makeHot(b);
        } else if (column == 3 && b->dropDownMenu() == nullptr) {
            makePressed(b);
        } else if (column == 3) {
            makeHot(b);
        }
    }

    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &window, [&window, screenshot]() {
            const bool saved = window.grab().save(screenshot);
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                         qPrintable(screenshot));
            QApplication::exit(saved ? EXIT_SUCCESS : EXIT_FAILURE);
        });
    }
    return QApplication::exec();
}
