// The help file and its viewer. The help file (QUILX.HLP) is one HTML document whose topics
// each start with an anchor naming their context number, <a name="1009"></a>, and run to the
// next such anchor; links to "#1018" go to another topic. The viewer shows one topic at a time.
#pragma once

#include <QString>
#include <QWidget>

#include <map>
#include <optional>
#include <vector>

class QTextBrowser;
class QUrl;

namespace ui {

class HelpFile {
  public:
    enum class Status { Ok, Missing, Unreadable, NoTopics };

    // Reads and splits a help file; a file of another kind gives NoTopics.
    Status Load(const QString& path);
    // Splits help text already in memory.
    Status Parse(const QString& html);

    // The topic as a whole HTML page (the file's head, then the topic); nullopt when the
    // file has no topic of that number.
    std::optional<QString> TopicPage(int context) const;
    // The text of the topic's first heading, or empty.
    QString TopicTitle(int context) const;
    // The context numbers in file order; the first is the contents topic.
    const std::vector<int>& Contexts() const { return order_; }
    QString DocumentTitle() const { return documentTitle_; }

  private:
    QString head_;
    QString documentTitle_;
    std::map<int, QString> topics_;
    std::vector<int> order_;
};

// One viewer window for the application, reused by every request.
class THelpViewer : public QWidget {
    Q_OBJECT

  public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // Loads `path` (again, if it changed) and shows topic `context`; a context the file does
    // not hold shows the contents topic. False when the file could not be read.
    bool ShowTopic(const QString& path, int context);
    int CurrentContext() const { return current_; }
    const QString& FilePath() const { return path_; }
    QString CurrentText() const;

  private:
    void ShowLoadedTopic(int context);
    void FollowLink(const QUrl& url);

    HelpFile file_;
    QString path_;
    int current_ = 0;
    QTextBrowser* browser_ = nullptr;
};

enum class HelpResult { Shown, ShownContents, FileMissing, FileUnusable };

// Opens the help file at a numbered context (0 = contents) in the application's viewer and
// brings it forward. A missing or unusable file is reported to the user in a message box.
HelpResult ShowHelp(const QString& helpFile, int context);
// The program's help file, which the main window finds in the program folder whatever its
// letter case; the dialogs open it by context alone. Empty until it is set.
void SetProgramHelpFile(const QString& path);
const QString& ProgramHelpFile();
// The viewer window, when one was opened.
THelpViewer* HelpViewer();
// Closes and frees the viewer (at the latest when the event loop next runs).
void CloseHelpViewer();

}  // namespace ui
