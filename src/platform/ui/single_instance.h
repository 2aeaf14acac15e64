// Single running instance: a named lock per executable, held until the process ends, and a
// local socket through which a later process asks the first one to bring a window forward.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace ui {

// The folder that holds the lock and the socket: $XDG_RUNTIME_DIR, or else a private
// folder (mode 0700) of this user under the temporary folder. Empty when neither serves.
QString InstanceDirectory();

// The instance name of an executable path: its file name, with characters that cannot stand
// in a file name replaced by "_".
QString InstanceNameFor(const QString& executablePath);

// A lock by name. The operating system drops it when the process ends, however it ends.
class InstanceLock {
  public:
    enum class Status { Acquired, HeldElsewhere, Failed };

    explicit InstanceLock(QString name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. HeldElsewhere: another holder (another process, or
    // another lock object of this process) has it. Failed: the lock file cannot be had.
    Status Acquire();
    void Release();
    bool Held() const { return fd_ >= 0; }
    QString Path() const;

  private:
    QString name_;
    int fd_ = -1;
};

// The first instance's side: answers requests to bring a top-level window forward.
class InstanceServer : public QObject {
    Q_OBJECT

  public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Starts listening under `name` (the caller holds the lock of that name, so a socket
    // left by a dead holder is removed first). False when the socket cannot be made.
    bool Listen(const QString& name);

    // A request for `title` brings the main form forward (see MainForm), whatever the main
    // form's own title: a later instance knows only the name it was started under, while
    // the first instance's windows carry the application's title.
    void AnswerForMainForm(const QString& title) { mainFormTitle_ = title; }

  Q_SIGNALS:
    // A request found and raised this window.
    void windowActivated(QWidget* window);

  private:
    void Serve();

    QLocalServer* server_ = nullptr;
    QString mainFormTitle_;
};

enum class ActivationResult { Activated, NotFound, NoServer };

// The later instance's side: asks the process serving `name` to bring forward its top-level
// window titled exactly `title` (restored when minimised, else raised). Waits at most
// `timeoutMs` for the answer.
ActivationResult ActivateRunningInstance(const QString& name, const QString& title,
                                         int timeoutMs = 3000);

}  // namespace ui
