// The help file: splitting it into numbered topics, the shipped file's topics, and the
// viewer opening a context, following links and reporting a missing file.
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "widget_test_support.h"

namespace {

const QString kSample = QStringLiteral(
    "<html><head><title>Sample Help</title><style>h1{color:teal}</style></head>\n"
    "<BODY bgcolor=\"white\">\n"
    "<a name=\"1009\"></a><h1>Contents</h1><p>See <a href=\"#1018\">the filter</a>.</p>\n"
    "<a name=\"1018\"></a><h1>Task &amp; Filter</h1><p>Filter text.</p>\n"
    "<a name=\"1018\"></a><h1>Second copy</h1>\n"
    "<A NAME = \"2986\" ></A><h2>Time</h2><p>Hours &lt;and&gt; minutes</p>\n"
    "</body></html>");

TEST(HelpFile, SplitsTopicsAtNumberedAnchorsInFileOrder) {
    ui::HelpFile file;
    ASSERT_EQ(file.Parse(kSample), ui::HelpFile::Status::Ok);
    EXPECT_EQ(file.Contexts(), (std::vector<int>{1009, 1018, 2986}));
    EXPECT_EQ(file.DocumentTitle(), QStringLiteral("Sample Help"));
    EXPECT_EQ(file.TopicTitle(1018), QStringLiteral("Task & Filter"));  // the first of two
    EXPECT_EQ(file.TopicTitle(2986), QStringLiteral("Time"));

    const std::optional<QString> page = file.TopicPage(1018);
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->contains(QStringLiteral("Filter text.")));
    EXPECT_FALSE(page->contains(QStringLiteral("See ")));           // nothing of the topic before
    EXPECT_FALSE(page->contains(QStringLiteral("Hours")));          // nor of the one after
    EXPECT_TRUE(page->contains(QStringLiteral("h1{color:teal}")));  // the file's style stays
    EXPECT_FALSE(file.TopicPage(1004).has_value());
}

TEST(HelpFile, FilesWithoutTopicsOrMissingFilesAreToldApart) {
    ui::HelpFile file;
    EXPECT_EQ(file.Parse(QStringLiteral("<html><body>no topics</body></html>")),
              ui::HelpFile::Status::NoTopics);
    EXPECT_EQ(file.Parse(QString()), ui::HelpFile::Status::NoTopics);
    EXPECT_EQ(file.Load(QStringLiteral("/nonexistent/QUILX.HLP")), ui::HelpFile::Status::Missing);
}

TEST(ShippedHelpFile, HoldsEveryContextTheWindowsOpen) {
    ui::HelpFile file;
    ASSERT_EQ(file.Load(QStringLiteral(QUILLET_HELP_FILE)), ui::HelpFile::Status::Ok);
    for (int context : {1009, 1004, 1007, 1017, 1018, 2986, 3401}) {
        SCOPED_TRACE(context);
        const std::optional<QString> page = file.TopicPage(context);
        ASSERT_TRUE(page.has_value());
        EXPECT_FALSE(file.TopicTitle(context).isEmpty());
        EXPECT_GT(page->size(), 600);  // a real description, not a stub
    }
    EXPECT_EQ(file.Contexts().front(), 1009);  // the contents topic comes first
}

TEST(ShippedHelpFile, EveryLinkBetweenTopicsLeadsToATopic) {
    QFile raw(QStringLiteral(QUILLET_HELP_FILE));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(raw.readAll());
    ui::HelpFile file;
    ASSERT_EQ(file.Parse(html), ui::HelpFile::Status::Ok);
    const QRegularExpression link(QStringLiteral("href=\"#(\\d+)\""));
    int links = 0;
    for (QRegularExpressionMatchIterator it = link.globalMatch(html); it.hasNext(); ++links) {
        const int target = it.next().captured(1).toInt();
        EXPECT_TRUE(file.TopicPage(target).has_value()) << target;
    }
    EXPECT_GE(links, 5);
}

class HelpViewer : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("QUILX.HLP"));
        QFile out(path_);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(kSample.toUtf8());
    }
    void TearDown() override {
        ui::CloseHelpViewer();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTemporaryDir dir_;
    QString path_;
};

TEST_F(HelpViewer, OpensAtTheContextAndFollowsLinksBetweenTopics) {
    EXPECT_EQ(ui::ShowHelp(path_, 2986), ui::HelpResult::Shown);
    ui::THelpViewer* viewer = ui::HelpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->CurrentText().contains(QStringLiteral("Hours <and> minutes")));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Sample Help - Time"));

    // The same viewer serves the next request.
    EXPECT_EQ(ui::ShowHelp(path_, 1009), ui::HelpResult::Shown);
    EXPECT_EQ(ui::HelpViewer(), viewer);
    auto* browser = viewer->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("#1018")));
    EXPECT_EQ(viewer->CurrentContext(), 1018);
    Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("http://example.invalid/#1009")));
    EXPECT_EQ(viewer->CurrentContext(), 1018);  // nothing outside the file is followed
}

TEST_F(HelpViewer, AnUnknownContextShowsTheContents) {
    EXPECT_EQ(ui::ShowHelp(path_, 4242), ui::HelpResult::ShownContents);
    EXPECT_EQ(ui::HelpViewer()->CurrentContext(), 1009);
}

TEST_F(HelpViewer, AMissingFileIsReportedInABox) {
    std::vector<ui::MessageBoxRequest> asked;
    ui::MessageBoxPresenter previous =
        ui::SetMessageBoxPresenter([&](const ui::MessageBoxRequest& request) {
            asked.push_back(request);
            return ui::kIdOk;
        });
    EXPECT_EQ(ui::ShowHelp(dir_.filePath(QStringLiteral("NONE.HLP")), 1009),
              ui::HelpResult::FileMissing);
    ui::SetMessageBoxPresenter(std::move(previous));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("NONE.HLP")));
    EXPECT_EQ(ui::HelpViewer(), nullptr);
}

}  // namespace

QUILLET_UI_TEST_MAIN()
