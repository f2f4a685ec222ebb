#include "platform/qt/local_socket_single_instance.hpp"
#include "claim_while_serving.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <cstring>
#include <optional>

using namespace std::chrono_literals;
using clicktrove::platform::LocalSocketSingleInstance;
using clicktrove::testing::claimWhileServing;
using Claim = clicktrove::platform::SingleInstance::Claim;

namespace {

class LocalSocketSingleInstanceTest : public clicktrove::testing::TempHomeTest {
protected:
    QString socketPath() const {
        return QString::fromStdString((tempHome.runtimeDir() / "org.example.clicktrove.Test.instance").string());
    }
};

TEST_F(LocalSocketSingleInstanceTest, ALaterLaunchHandsOverWithItsStartupIdentifier) {
    LocalSocketSingleInstance first(socketPath(), "", 10s);
    std::optional<std::string> heard;
    first.onActivate = [&](const std::string& startupId) { heard = startupId; };
    ASSERT_EQ(first.claim(nullptr), Claim::primary);
    EXPECT_EQ(QFileInfo(socketPath()).permissions() & (QFile::ReadOther | QFile::WriteOther), 0)
        << "only the user's own launches may reach the instance";

    for (const std::string id : {"launcher-7_TIME1234", ""}) {
        SCOPED_TRACE(id);
        heard.reset();
        LocalSocketSingleInstance later(socketPath(), id, 10s);
        EXPECT_EQ(claimWhileServing(later), Claim::handedOver);
        EXPECT_EQ(heard, id);
    }
}

TEST_F(LocalSocketSingleInstanceTest, ASocketLeftByACrashedInstanceIsTakenOver) {
    // What a killed instance leaves: the socket file, with nobody listening.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = socketPath().toLocal8Bit();
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(socketPath()));

    LocalSocketSingleInstance instance(socketPath(), "", 10s);
    EXPECT_EQ(instance.claim(nullptr), Claim::primary);
}

TEST_F(LocalSocketSingleInstanceTest, TheSocketGoesWithTheInstance) {
    {
        LocalSocketSingleInstance first(socketPath(), "", 10s);
        ASSERT_EQ(first.claim(nullptr), Claim::primary);
    }
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
    LocalSocketSingleInstance second(socketPath(), "", 10s);
    EXPECT_EQ(second.claim(nullptr), Claim::primary);
}

// A listener that takes the connection but never says "ok" (hung, or not this program).
TEST_F(LocalSocketSingleInstanceTest, AListenerThatDoesNotAnswerEndsTheWaitWithAReason) {
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(socketPath()));
    LocalSocketSingleInstance later(socketPath(), "", 300ms);
    std::string error;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(later.claim(&error), Claim::unanswered);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_NE(error.find("did not answer"), std::string::npos) << error;
}

TEST_F(LocalSocketSingleInstanceTest, WithoutAFolderForTheSocketNothingIsClaimed) {
    clicktrove::testing::writeFile(tempHome.runtimeDir() / "file", "not a folder");
    LocalSocketSingleInstance instance(
        QString::fromStdString((tempHome.runtimeDir() / "file" / "app.instance").string()), "", 1s);
    std::string error;
    EXPECT_EQ(instance.claim(&error), Claim::unguarded);
    EXPECT_FALSE(error.empty());
}

}  // namespace
