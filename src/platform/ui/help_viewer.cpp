// The help file's topics and the window that shows them.
#include "platform/ui/help_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"

namespace ui {
namespace {

// A file larger than this is not a help file of ours; reading stops before it.
constexpr qint64 kMaxHelpFileBytes = 8 * 1024 * 1024;

QString StripTags(QString html) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    html.remove(tags);
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    return html.simplified();
}

}  // namespace

HelpFile::Status HelpFile::Load(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return Status::Missing;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxHelpFileBytes) {
        return Status::Unreadable;
    }
    return Parse(QString::fromUtf8(file.readAll()));
}

HelpFile::Status HelpFile::Parse(const QString& html) {
    head_.clear();
    documentTitle_.clear();
    topics_.clear();
    order_.clear();

    static const QRegularExpression bodyStart(QStringLiteral("<body[^>]*>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bodyEnd(QStringLiteral("</body\\s*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression marker(
        QStringLiteral("<a\\s+name\\s*=\\s*\"(\\d{1,9})\"\\s*>\\s*</a>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression title(
        QStringLiteral("<title>(.*?)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);

    const QRegularExpressionMatch start = bodyStart.match(html);
    qsizetype bodyFrom = 0;
    if (start.hasMatch()) {
        head_ = html.left(start.capturedStart());
        bodyFrom = start.capturedEnd();
    }
    const QRegularExpressionMatch end = bodyEnd.match(html, bodyFrom);
    const qsizetype bodyTo = end.hasMatch() ? end.capturedStart() : html.size();
    const QRegularExpressionMatch titleMatch = title.match(head_);
    if (titleMatch.hasMatch()) {
        documentTitle_ = StripTags(titleMatch.captured(1));
    }

    const QString body = html.mid(bodyFrom, bodyTo - bodyFrom);
    QRegularExpressionMatchIterator it = marker.globalMatch(body);
    int context = -1;
    qsizetype topicFrom = 0;
    auto closeTopic = [&](qsizetype upTo) {
        // A repeated number keeps its first topic.
        if (context >= 0 && topics_.find(context) == topics_.end()) {
            topics_.emplace(context, body.mid(topicFrom, upTo - topicFrom));
            order_.push_back(context);
        }
    };
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        closeTopic(m.capturedStart());
        context = m.captured(1).toInt();
        topicFrom = m.capturedEnd();
    }
    closeTopic(body.size());
    return topics_.empty() ? Status::NoTopics : Status::Ok;
}

std::optional<QString> HelpFile::TopicPage(int context) const {
    const auto it = topics_.find(context);
    if (it == topics_.end()) {
        return std::nullopt;
    }
    return head_ + QStringLiteral("<body>") + it->second + QStringLiteral("</body></html>");
}

QString HelpFile::TopicTitle(int context) const {
    static const QRegularExpression heading(
        QStringLiteral("<h[1-3][^>]*>(.*?)</h[1-3]>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto it = topics_.find(context);
    if (it == topics_.end()) {
        return {};
    }
    const QRegularExpressionMatch m = heading.match(it->second);
    return m.hasMatch() ? StripTags(m.captured(1)) : QString();
}

// --- THelpViewer -----------------------------------------------------------------------------

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(520, 560);
    connect(browser_, &QTextBrowser::anchorClicked, this, &THelpViewer::FollowLink);
}

bool THelpViewer::ShowTopic(const QString& path, int context) {
    if (path != path_ || file_.Contexts().empty()) {
        HelpFile fresh;
        if (fresh.Load(path) != HelpFile::Status::Ok) {
            return false;
        }
        file_ = std::move(fresh);
        path_ = path;
    }
    ShowLoadedTopic(context);
    return true;
}

void THelpViewer::ShowLoadedTopic(int context) {
    if (!file_.TopicPage(context)) {
        context = file_.Contexts().front();
    }
    current_ = context;
    browser_->setHtml(*file_.TopicPage(context));
    const QString topic = file_.TopicTitle(context);
    const QString document =
        file_.DocumentTitle().isEmpty() ? ApplicationTitle() : file_.DocumentTitle();
    setWindowTitle(topic.isEmpty() ? document : document + QStringLiteral(" - ") + topic);
}

void THelpViewer::FollowLink(const QUrl& url) {
    // Only links between topics are followed; the help file names nothing outside itself.
    bool ok = false;
    const int context = url.fragment().toInt(&ok);
    if (ok && url.path().isEmpty()) {
        ShowLoadedTopic(context);
    }
}

QString THelpViewer::CurrentText() const {
    return browser_->toPlainText();
}

namespace {
QPointer<THelpViewer>& Viewer() {
    static QPointer<THelpViewer> viewer;
    return viewer;
}

QString& ProgramHelpPath() {
    static QString path;
    return path;
}
}  // namespace

void SetProgramHelpFile(const QString& path) {
    ProgramHelpPath() = path;
}

const QString& ProgramHelpFile() {
    return ProgramHelpPath();
}

THelpViewer* HelpViewer() {
    return Viewer().data();
}

void CloseHelpViewer() {
    if (THelpViewer* viewer = Viewer().data()) {
        viewer->close();
        if (!viewer->testAttribute(Qt::WA_DeleteOnClose)) {
            viewer->deleteLater();
        }
    }
}

HelpResult ShowHelp(const QString& helpFile, int context) {
    HelpFile probe;
    const HelpFile::Status status = probe.Load(helpFile);
    if (status != HelpFile::Status::Ok) {
        const QString name = QFileInfo(helpFile).fileName();
        const QString text = status == HelpFile::Status::Missing
                                 ? QStringLiteral("Cannot find the help file %1.").arg(name)
                                 : QStringLiteral("The help file %1 cannot be read.").arg(name);
        MessageBox(text, ApplicationTitle(), kMbOk | kMbIconExclamation);
        return status == HelpFile::Status::Missing ? HelpResult::FileMissing
                                                   : HelpResult::FileUnusable;
    }
    if (Viewer().isNull()) {
        // A window of its own that the main form owns, so it goes when the program ends;
        // without a main form, closing the viewer frees it.
        Viewer() = new THelpViewer(MainForm());
        Viewer()->setAttribute(Qt::WA_QuitOnClose, false);
        Viewer()->setAttribute(Qt::WA_DeleteOnClose, MainForm() == nullptr);
    }
    THelpViewer* viewer = Viewer().data();
    viewer->ShowTopic(helpFile, context);
    BringFormToFront(viewer);
    return viewer->CurrentContext() == context ? HelpResult::Shown : HelpResult::ShownContents;
}

}  // namespace ui
