// Single instance across two processes: the lock is exclusive per name and dies with its
// holder, and a later process finds the first one's window by title and brings it forward.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/ui/single_instance.h"
#include "widget_test_support.h"

namespace {

class SingleInstance : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    }
    void TearDown() override {
        if (peer_.state() != QProcess::NotRunning) {
            peer_.kill();
            peer_.waitForFinished();
        }
        qputenv("XDG_RUNTIME_DIR", saved_);
    }

    // Starts the peer holding `name` with a window titled `title`; true once it is serving.
    bool StartHolder(const QString& name, const QString& title) {
        peer_.start(QStringLiteral(QUILLET_PEER), {QStringLiteral("hold"), name, title});
        return ReadLine() == "READY";
    }
    QByteArray ReadLine() {
        while (!peer_.canReadLine()) {
            if (!peer_.waitForReadyRead(10000)) {
                return "(no answer)";
            }
        }
        return peer_.readLine().trimmed();
    }
    int TryInOtherProcess(const QString& name) {
        QProcess probe;
        probe.start(QStringLiteral(QUILLET_PEER), {QStringLiteral("try"), name});
        probe.waitForFinished();
        return probe.exitCode();
    }

    QTemporaryDir runtime_;
    QByteArray saved_;
    QProcess peer_;
};

TEST_F(SingleInstance, OneHolderPerNameWithinAndAcrossProcesses) {
    ui::InstanceLock first(QStringLiteral("quillet"));
    ASSERT_EQ(first.Acquire(), ui::InstanceLock::Status::Acquired);
    EXPECT_TRUE(first.Path().startsWith(runtime_.path()));

    ui::InstanceLock second(QStringLiteral("quillet"));
    EXPECT_EQ(second.Acquire(), ui::InstanceLock::Status::HeldElsewhere);
    EXPECT_EQ(TryInOtherProcess(QStringLiteral("quillet")), 1);
    // Another executable name is another lock.
    ui::InstanceLock other(QStringLiteral("quillet-copy"));
    EXPECT_EQ(other.Acquire(), ui::InstanceLock::Status::Acquired);

    first.Release();
    EXPECT_EQ(TryInOtherProcess(QStringLiteral("quillet")), 0);
    EXPECT_EQ(second.Acquire(), ui::InstanceLock::Status::Acquired);
}

TEST_F(SingleInstance, TheLockDiesWithItsHolderHoweverItEnds) {
    ASSERT_TRUE(StartHolder(QStringLiteral("quillet"), QStringLiteral("Quillet")));
    ui::InstanceLock lock(QStringLiteral("quillet"));
    EXPECT_EQ(lock.Acquire(), ui::InstanceLock::Status::HeldElsewhere);
    peer_.kill();  // no chance to clean up
    ASSERT_TRUE(peer_.waitForFinished());
    EXPECT_EQ(lock.Acquire(), ui::InstanceLock::Status::Acquired);
}

TEST_F(SingleInstance, ALaterProcessRestoresTheFirstOnesWindowByTitle) {
    ASSERT_TRUE(StartHolder(QStringLiteral("quillet"), QStringLiteral("Quillet")));
    EXPECT_EQ(ui::ActivateRunningInstance(QStringLiteral("quillet"), QStringLiteral("Quillet")),
              ui::ActivationResult::Activated);
    EXPECT_EQ(ReadLine(), "ACTIVATED");  // it was minimised and is restored
    EXPECT_EQ(ui::ActivateRunningInstance(QStringLiteral("quillet"), QStringLiteral("Quil")),
              ui::ActivationResult::NotFound);
    EXPECT_EQ(ui::ActivateRunningInstance(QStringLiteral("quillet"), QString()),
              ui::ActivationResult::NotFound);
}

TEST_F(SingleInstance, ASocketLeftByADeadHolderIsNoServer) {
    ASSERT_TRUE(StartHolder(QStringLiteral("quillet"), QStringLiteral("Quillet")));
    peer_.kill();
    ASSERT_TRUE(peer_.waitForFinished());
    EXPECT_EQ(ui::ActivateRunningInstance(QStringLiteral("quillet"), QStringLiteral("Quillet")),
              ui::ActivationResult::NoServer);
    // The next holder takes the name over.
    ASSERT_TRUE(StartHolder(QStringLiteral("quillet"), QStringLiteral("Quillet")));
    EXPECT_EQ(ui::ActivateRunningInstance(QStringLiteral("quillet"), QStringLiteral("Quillet")),
              ui::ActivationResult::Activated);
}

// The run's lock and socket never meet those of a Quillet the person runs: the run has a
// private runtime folder of its own, not the one it was started with.
TEST(TestRun, HasAPrivateRuntimeFolderOfItsOwn) {
    const ui::test::RuntimeFolders& folders = ui::test::TestRuntimeFolders();
    ASSERT_FALSE(folders.own.isEmpty());
    EXPECT_NE(folders.own, folders.inherited);
    EXPECT_TRUE(folders.own.contains(QString::number(QCoreApplication::applicationPid())));
    EXPECT_EQ(ui::InstanceDirectory(), folders.own);
    EXPECT_EQ(QFileInfo(folders.own).permissions() &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                   QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
}

TEST(InstanceName, IsTheExecutablesFileName) {
    EXPECT_EQ(ui::InstanceNameFor(QStringLiteral("/opt/quillet/bin/quillet")),
              QStringLiteral("quillet"));
    EXPECT_EQ(ui::InstanceNameFor(QStringLiteral("QUILLET.EXE")), QStringLiteral("QUILLET.EXE"));
    EXPECT_EQ(ui::InstanceNameFor(QString()), QStringLiteral("quillet"));
    EXPECT_EQ(ui::InstanceNameFor(QStringLiteral("/x/.hidden")), QStringLiteral("quillet.hidden"));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
