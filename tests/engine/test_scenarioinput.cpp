// Opening a scenario file: only regular files are read, each refusal has its
// own error, and a failing read is reported as one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine_support.h"
#include "scenarioinput.h"

namespace vintrop {
namespace {

class ScenarioInput : public testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        char pattern[] = "/tmp/vintrop-input-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }

    int OpenError(const std::string& path) {
        try {
            OpenScenarioFile(path);
        } catch (const VintropError& e) {
            return e.Number();
        }
        return 0;
    }

    std::string dir;
};

TEST_F(ScenarioInput, EachRefusalNamesItsCause) {
    EXPECT_EQ(OpenError(dir + "/missing.vintrop"), err::FileNotFound);
    EXPECT_EQ(OpenError(dir + "/missing/inside.vintrop"), err::FileNotFound);
    EXPECT_EQ(OpenError(""), err::PathFileAccess);
    EXPECT_EQ(OpenError(dir), err::PathFileAccess);
    EXPECT_EQ(OpenError("/dev/null"), err::PathFileAccess);
    // A FIFO with no writer: refused at once instead of waiting for a writer.
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    EXPECT_EQ(OpenError(dir + "/fifo"), err::PathFileAccess);
}

TEST_F(ScenarioInput, ReadsARegularFileAndFollowsLinks) {
    const std::string path = dir + "/good.vintrop";
    std::ofstream(path, std::ios::binary) << "50\r\n0\r\n0\r\n1\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n";
    ASSERT_EQ(symlink(path.c_str(), (dir + "/link.vintrop").c_str()), 0);
    for (const std::string& name : {path, dir + "/link.vintrop"}) {
        eng.Reset();
        const auto in = OpenScenarioFile(name);
        EXPECT_TRUE(eng.SerializeIn(*in)) << name;
        EXPECT_EQ(eng.BowlCount(), 1);
    }
}

TEST_F(ScenarioInput, AFailingReadIsADeviceErrorOnItsLine) {
    // Reading this process's memory at address 0 fails with EIO.
    const auto in = OpenScenarioFile("/proc/self/mem");
    EXPECT_FALSE(eng.SerializeIn(*in));
    ASSERT_TRUE(eng.LastReadError().has_value());
    EXPECT_EQ(eng.LastReadError()->Number(), err::DeviceIO);
    EXPECT_EQ(eng.LastReadError()->Line(), 1);
}

} // namespace
} // namespace vintrop
