// Reminders from the main window on a private session bus: a stand-in notification service
// receives the Notify calls, its ActionInvoked makes the task current, the window's own edits
// move the reminders, the File menu's item turns them off, TODO.INI keeps the last check;
// without a service, or without a bus, nothing fails.
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ini/profile.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "platform/ui/notifications.h"
#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/main_screen.h"
#include "ui/main/reminder_service.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

QUILLET_UI_TEST_MAIN()

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// Only what the test needs: every name may be owned and every message sent, and nothing is
// started on demand (a notification daemon installed on the machine stays out of it).
constexpr char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// A session bus of the test's own, ended with the test.
class PrivateBus {
  public:
    explicit PrivateBus(const QString& folder) {
        QFile config(folder + QStringLiteral("/bus.conf"));
        if (!config.open(QIODevice::WriteOnly)) {
            return;
        }
        config.write(QString::fromLatin1(kBusConfig).arg(folder).toUtf8());
        config.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config.fileName(),
                       QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        while (daemon_.waitForReadyRead() && !daemon_.canReadLine()) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    const QString& Address() const { return address_; }
    // A connection of its own, as a separate program would have.
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QProcess daemon_;
    QString address_;
};

// The notification service, answering Notify with ids 1, 2, ... and keeping each call.
class FakeNotifications : public QDBusVirtualObject {
  public:
    struct Call {
        QString appName;
        QString icon;
        QString summary;
        QStringList actions;
    };

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QStringLiteral("Notify") || message.arguments().size() != 8) {
            return false;
        }
        const QVariantList args = message.arguments();
        calls.push_back({args[0].toString(), args[2].toString(), args[3].toString(),
                         args[5].toStringList()});
        connection.send(message.createReply(QVariant::fromValue(quint32(calls.size()))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    std::vector<Call> calls;
};

std::time_t LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// Lets the window's events run until `done` holds; a broken test gives up after a while
// rather than hang.
bool WaitFor(const std::function<bool()>& done) {
    for (int tries = 0; tries < 500 && !done(); ++tries) {
        QTest::qWait(10);
    }
    return done();
}

// Changes a task's date and time in another process, as another program sharing the task file
// would.
void ChangeElsewhere(const std::string& table, int record, const char* date, const char* time) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = sx_Use(table, "OTHERPRG", 0, 2) != 0 && sx_Go(record) &&
                        sx_Replace("DATE", SxReplace::kText, date) &&
                        sx_Replace("TIME", SxReplace::kText, time) && sx_Commit();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class ReminderWindow : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text.toStdString());
            return ui::kIdYes;
        });
        bus_ = std::make_unique<PrivateBus>(QString::fromStdString(Dir()));
        ASSERT_FALSE(bus_->Address().isEmpty()) << "dbus-daemon did not start";
    }
    void TearDown() override {
        if (form_) {
            form_->close();
            ui::SetMainForm(nullptr);
            form_.reset();
        }
        for (const QString& name : connections_) {
            QDBusConnection::disconnectFromBus(name);
        }
        bus_.reset();
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    // The stand-in service, owning its name on the private bus.
    void ServeNotifications() {
        service_ = bus_->Connect(Named("service"));
        ASSERT_TRUE(service_.registerVirtualObject(kPath, &fake_));
        ASSERT_TRUE(service_.registerService(kService));
    }

    // The window on the task file, its clock at `now` and its notifications on `bus`.
    void OpenWindow(const QDBusConnection& bus) {
        form_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form_.get());
        Reminders().SetClock([this] { return now_; });
        notifier_ = new ui::TDesktopNotifier(bus);
        Reminders().SetNotifier(notifier_);
        form_->show();
        form_->FormActivate();
        ui::ProcessMessages();
    }
    TReminderService& Reminders() { return form_->Reminders(); }
    QString Named(const char* name) {
        connections_.push_back(QString::fromLatin1(name));
        return connections_.back();
    }
    std::string Ini(const char* key) {
        return ini::ReadString(form_->IniFile(), "Preferences", key, "(none)");
    }
    std::vector<std::string> Summaries() const {
        std::vector<std::string> summaries;
        for (const FakeNotifications::Call& call : fake_.calls) {
            summaries.push_back(call.summary.toStdString());
        }
        return summaries;
    }
    std::int32_t CurrentRecord() {
        return form_->GridModel().RecordAt(form_->ActiveGrid()->currentIndex().row());
    }

    std::unique_ptr<PrivateBus> bus_;
    QDBusConnection service_{QString()};
    FakeNotifications fake_;
    std::vector<QString> connections_;
    ui::FormPtr<TMainScreen> form_;
    ui::TDesktopNotifier* notifier_ = nullptr;
    std::time_t now_ = 0;
    std::vector<std::string> boxes_;
    ui::MessageBoxPresenter previous_;
};

TEST_F(ReminderWindow, NotifiesAtTheDueTimeAndAClickMakesTheTaskCurrent) {
    MakeTaskFile("QUILX.DBF",
                 {{"20261209", "08:00", "Missed while closed", "", false, ""},
                  {"20261209", "10:00", "Caf\xE9 with Ana", "", false, "home"},
                  {"20261209", "10:30", "Done before it was due", "", false, ""},
                  {"20261209", "", "Nine o'clock", "", false, ""},
                  {"20261208", "12:00", "Yesterday", "", false, ""}},
                 true);
    ASSERT_TRUE(ini::WriteString(Dir() + "TODO.INI", "Preferences", "LastReminded",
                                 "2026-12-09T07:30"));
    ServeNotifications();
    now_ = LocalTime(2026, 12, 9, 8, 45);
    OpenWindow(bus_->Connect(Named("window")));

    // One notification for everything that fell due while Quillet was closed.
    ASSERT_TRUE(WaitFor([&] { return fake_.calls.size() == 1; }));
    EXPECT_EQ(Summaries(), std::vector<std::string>{"1 task fell due while Quillet was closed"});
    EXPECT_EQ(Ini("LastReminded"), "2026-12-09T08:45");
    EXPECT_EQ(fake_.calls[0].appName, QStringLiteral("Quillet"));
    EXPECT_EQ(fake_.calls[0].icon, QString::fromLatin1(ui::kNotificationAppIcon));
    EXPECT_TRUE(fake_.calls[0].actions.contains(QStringLiteral("default")));

    // The window's own edit moves a reminder: a task marked done is not reminded.
    form_->ActiveGrid()->setCurrentIndex(
        form_->GridModel().index(form_->GridModel().RowOf(3), TaskGridModel::kTask));
    form_->DoneToggleButtonClick();
    ASSERT_EQ(Reminders().Schedule().DueOf(3), std::nullopt);

    now_ = LocalTime(2026, 12, 9, 9, 0);
    Reminders().Check();
    now_ = LocalTime(2026, 12, 9, 10, 0);
    Reminders().Check();
    ASSERT_TRUE(WaitFor([&] { return fake_.calls.size() == 3; }));
    EXPECT_EQ(Summaries(),
              (std::vector<std::string>{"1 task fell due while Quillet was closed",
                                        "Nine o'clock", "Caf\xC3\xA9 with Ana"}));
    EXPECT_EQ(Ini("LastReminded"), "2026-12-09T10:00");

    // A click on the task's notification brings the window forward on it.
    form_->ActiveGrid()->setCurrentIndex(
        form_->GridModel().index(form_->GridModel().RowOf(5), TaskGridModel::kTask));
    QSignalSpy activated(notifier_, &ui::TDesktopNotifier::activated);
    QDBusMessage click = QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
    click << quint32(3) << QStringLiteral("default");
    ASSERT_TRUE(service_.send(click));
    ASSERT_TRUE(activated.wait());
    EXPECT_EQ(CurrentRecord(), 2);
    EXPECT_EQ(form_->Store().TodoTable.GetBookmark(), std::optional<std::int32_t>(2));

    // Another program moves yesterday's task to later today: reminded when the window looks
    // at the task file again.
    ChangeElsewhere(PathOf("QUILX.DBF"), 5, "20261209", "10:45");
    form_->FormActivate();
    now_ = LocalTime(2026, 12, 9, 10, 45);
    Reminders().Check();
    ASSERT_TRUE(WaitFor([&] { return fake_.calls.size() == 4; }));
    EXPECT_EQ(Summaries().back(), "Yesterday");

    // The File menu's item turns them off, and TODO.INI keeps that; turned on again, they go
    // on from then, and the window keeps its last look at the clock as it closes.
    QAction* item = form_->findChild<QAction*>(QStringLiteral("Reminders1"));
    item->trigger();
    EXPECT_FALSE(Reminders().On());
    EXPECT_EQ(Ini("Reminders"), "0");
    now_ = LocalTime(2026, 12, 9, 13, 0);
    Reminders().Check();
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(Ini("Reminders"), "1");
    now_ = LocalTime(2026, 12, 9, 14, 0);
    Reminders().Check();
    form_->close();
    EXPECT_EQ(Ini("LastReminded"), "2026-12-09T14:00");
    EXPECT_EQ(fake_.calls.size(), 4u);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ReminderWindow, WithoutAServiceOrABusNothingFails) {
    MakeTaskFile("QUILX.DBF", {{"20261209", "10:00", "Alpha", "", false, ""}}, true);
    struct Case {
        const char* name;
        std::function<QDBusConnection()> bus;
        bool answered;  // a bus answers the call with an error; without a bus none is made
    };
    const Case cases[] = {
        {"no service on the bus", [&] { return bus_->Connect(Named("window")); }, true},
        {"no bus",
         [&] {
             return QDBusConnection::connectToBus(
                 QStringLiteral("unix:path=") + QString::fromStdString(Dir()) +
                     QStringLiteral("none"),
                 Named("nowhere"));
         },
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        now_ = LocalTime(2026, 12, 9, 9, 0);
        OpenWindow(test.bus());
        QSignalSpy answered(notifier_, &ui::TDesktopNotifier::answered);
        now_ = LocalTime(2026, 12, 9, 10, 0);
        Reminders().Check();
        if (test.answered) {
            ASSERT_TRUE(answered.wait());
            EXPECT_FALSE(answered.at(0).at(0).toBool());
        }
        EXPECT_TRUE(form_->isVisible());
        EXPECT_TRUE(boxes_.empty());
        form_->close();
        form_.reset();
    }
}

}  // namespace
