// The single-instance claim: one viewer per user, whatever other users of the machine run.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

#include "app/single_instance.h"

namespace {
// A name no other test run on the machine uses: claims last as long as the test process.
QString UniqueName(const char *test)
{
    return QStringLiteral("TovralTest-%1-%2").arg(QString::fromLatin1(test)).arg(::getpid());
}
} // namespace

// Guards against a lock shared by every user of the machine: without a runtime directory the
// second claim of one user fails, while another user's claim of the same name succeeds.
TEST(SingleInstance, PerUserWithoutRuntimeDirectory)
{
    const QString name = UniqueName("users");
    EXPECT_TRUE(ClaimSingleInstance(name, 1000, QString()));
    EXPECT_FALSE(ClaimSingleInstance(name, 1000, QString()));
    EXPECT_TRUE(ClaimSingleInstance(name, 1001, QString()));
}

// Guards against a claim that the runtime directory does not hold: the second claim in one
// directory fails, the claim in another user's (another) directory succeeds.
TEST(SingleInstance, PerRuntimeDirectory)
{
    const QString name = UniqueName("sessions");
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    EXPECT_TRUE(ClaimSingleInstance(name, ::getuid(), first.path()));
    EXPECT_FALSE(ClaimSingleInstance(name, ::getuid(), first.path()));
    EXPECT_TRUE(ClaimSingleInstance(name, ::getuid(), second.path()));
}

// Guards against trusting a runtime directory that others may write to or that belongs to
// someone else (an environment kept across su): the claim is then the user's socket.
TEST(SingleInstance, ForeignRuntimeDirectoryIsNotUsed)
{
    QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
    const QString open = UniqueName("open");
    EXPECT_TRUE(ClaimSingleInstance(open, ::getuid(), shared.path()));
    EXPECT_FALSE(ClaimSingleInstance(open, ::getuid(), QString()));

    QTemporaryDir someoneElses;
    ASSERT_TRUE(someoneElses.isValid());
    const QString foreign = UniqueName("foreign");
    const uid_t other = ::getuid() + 1;
    EXPECT_TRUE(ClaimSingleInstance(foreign, other, someoneElses.path()));
    EXPECT_FALSE(ClaimSingleInstance(foreign, other, QString()));
}
