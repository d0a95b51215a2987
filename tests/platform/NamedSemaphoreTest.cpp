#include "platform/NamedSemaphore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <semaphore.h>

TEST(NamedSemaphore, ExistsSystemWideAndASecondCreationSucceeds)
{
    const QString name = QStringLiteral("TONARA_TEST_%1").arg(QCoreApplication::applicationPid());
    const QString node = QStringLiteral("/dev/shm/sem.") + name;
    ASSERT_FALSE(QFileInfo::exists(node));

    EXPECT_TRUE(Platform::CreateNamedSemaphore(name));
    EXPECT_TRUE(QFileInfo::exists(node));
    // A second instance of the program does the same and carries on.
    EXPECT_TRUE(Platform::CreateNamedSemaphore(name));

    sem_unlink(('/' + name).toUtf8().constData());
}
