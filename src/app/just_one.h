// The single-instance rule: the previous-instance record made at program start, and the
// component on the main window that hands over to an earlier instance and ends this one.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace ui {
class InstanceLock;
class InstanceServer;
}  // namespace ui

struct TPreviousInstance {
    std::unique_ptr<ui::InstanceLock> mutex;  // held by the first instance until it ends
    bool previousInstance = false;
    QString mutexName;
    QString searchTitle;
};

// The search title of an executable's file name: the name without its last four characters
// when it contains ".EXE"; the whole name when it has no extension at all (this platform's
// executables carry none); otherwise empty.
QString SearchTitleFor(const QString& fileName);

// Makes the process's record from argument 0 of the command line; called once, before the
// main window exists.
void PreparePreviousInstance(const QString& argument0);
// The record; empty (no lock, no previous instance) until PreparePreviousInstance ran.
TPreviousInstance& PreviousInstance();

// JustOne1 on the main window. Constructing it in a later instance asks the first one to
// bring its main window forward and then ends this process at once: nothing is shown and
// nothing is saved. In the first instance it answers such requests.
class TJustOne : public QObject {
    Q_OBJECT

  public:
    explicit TJustOne(QObject* owner);
    ~TJustOne() override;

  private:
    ui::InstanceServer* server_ = nullptr;
};
