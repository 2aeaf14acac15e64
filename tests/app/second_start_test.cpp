// Two starts of the real program in one folder: the second hands over to the first and ends
// without touching anything.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <map>

#include "platform/ui/single_instance.h"

namespace {

// Name, size and modification time of every file in a folder.
std::map<QString, std::pair<qint64, QDateTime>> Snapshot(const QString& path) {
    std::map<QString, std::pair<qint64, QDateTime>> files;
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : entries) {
        files[info.fileName()] = {info.size(), info.lastModified()};
    }
    return files;
}

class SecondStart : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        programDir_ = dir_.filePath(QStringLiteral("program"));
        runtimeDir_ = dir_.filePath(QStringLiteral("runtime"));
        ASSERT_TRUE(QDir().mkpath(programDir_));
        ASSERT_TRUE(QDir().mkpath(runtimeDir_));
        QFile::setPermissions(runtimeDir_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The program's folder is the folder of its executable, so a copy works on its own files.
        executable_ = programDir_ + QStringLiteral("/quillet");
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_EXECUTABLE), executable_));
        oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtimeDir_.toLocal8Bit());
    }

    void TearDown() override {
        if (first_.state() != QProcess::NotRunning) {
            first_.kill();
            first_.waitForFinished(10000);
        }
        qputenv("XDG_RUNTIME_DIR", oldRuntime_);
    }

    void Prepare(QProcess& process, bool reportHandover) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (reportHandover) {
            env.insert(QStringLiteral("QUILLET_REPORT_HANDOVER"), QStringLiteral("1"));
        }
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir_.path());
        process.setProgram(executable_);
    }

    // Waits until the first instance has its table open and answers for its search title.
    bool FirstIsReady() {
        for (int attempt = 0; attempt < 300; ++attempt) {
            if (first_.state() == QProcess::NotRunning) {
                return false;
            }
            if (QFile::exists(programDir_ + QStringLiteral("/QUILX.CDX")) &&
                ui::ActivateRunningInstance(QStringLiteral("quillet"), QStringLiteral("quillet"),
                                            1000) == ui::ActivationResult::Activated) {
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }

    QTemporaryDir dir_;
    QString programDir_;
    QString runtimeDir_;
    QString executable_;
    QByteArray oldRuntime_;
    QProcess first_;
};

TEST_F(SecondStart, EndsAtOnceAndBringsTheFirstForward) {
    Prepare(first_, false);
    first_.start();
    ASSERT_TRUE(first_.waitForStarted(10000));
    ASSERT_TRUE(FirstIsReady()) << first_.readAllStandardError().toStdString();
    const auto before = Snapshot(programDir_);
    ASSERT_TRUE(before.count(QStringLiteral("QUILX.DBF")));

    QProcess second;
    Prepare(second, true);
    second.start();
    ASSERT_TRUE(second.waitForStarted(10000));
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // The first instance's server found its main form for the search title "quillet".
    EXPECT_TRUE(second.readAllStandardError().contains("FOUND\n"));
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());

    EXPECT_EQ(Snapshot(programDir_), before);
    EXPECT_EQ(first_.state(), QProcess::Running);
    EXPECT_FALSE(first_.readAllStandardError().contains("FOUND"));
}

TEST_F(SecondStart, AnEarlierInstanceUnderAnotherNameIsNoneOfOurs) {
    // A copy under another file name holds another lock, so it starts as a first instance.
    Prepare(first_, false);
    first_.start();
    ASSERT_TRUE(first_.waitForStarted(10000));
    ASSERT_TRUE(FirstIsReady());

    const QString otherDir = dir_.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(otherDir));
    ASSERT_TRUE(QFile::copy(executable_, otherDir + QStringLiteral("/quillet2")));
    QProcess other;
    Prepare(other, true);
    other.setProgram(otherDir + QStringLiteral("/quillet2"));
    other.start();
    ASSERT_TRUE(other.waitForStarted(10000));
    bool ready = false;
    for (int attempt = 0; attempt < 300 && !ready; ++attempt) {
        ready = ui::ActivateRunningInstance(QStringLiteral("quillet2"), QStringLiteral("quillet2"),
                                            1000) == ui::ActivationResult::Activated;
        if (!ready) {
            QThread::msleep(100);
        }
    }
    EXPECT_TRUE(ready);
    EXPECT_EQ(other.state(), QProcess::Running);
    EXPECT_TRUE(QFile::exists(otherDir + QStringLiteral("/QUILX.DBF")));
    other.kill();
    other.waitForFinished(10000);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
