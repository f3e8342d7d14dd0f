// The platform's failure records: the system's reasons, word for word as
// strerror gives them, made safely on several threads at once.
#include <zantoquiller/platform/failure.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace Zanto;
using namespace Zanto::Platform;

TEST(Failure, ReasonsAreTheSystemsTextsOnEveryThread)
{
    std::setlocale(LC_ALL, ""); // as a program does: the texts of its language
    std::vector<std::string> expected;
    for (int error = 0; error < 134; ++error)
        expected.push_back("/dev/lp0: " + std::string(std::strerror(error)));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                for (int error = 0; error < int(expected.size()); ++error) {
                    const Failure failure = systemFailure("/dev/lp0", error);
                    if (failure.reason != expected[std::size_t(error)]
                        || failure.systemError != error || failure.kind != errorKindOf(error))
                        ++mismatches[std::size_t(t)];
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(Failure, AnExceptionCarriesItsRecord)
{
    const Failure failure = systemFailure("socket://127.0.0.1:9", ECONNREFUSED);
    const Error error(failure);
    EXPECT_EQ(error.kind(), ErrorKind::Unreachable);
    EXPECT_EQ(error.systemError(), ECONNREFUSED);
    EXPECT_EQ(std::string(error.what()), failure.reason);
    EXPECT_EQ(error.failure().reason, failure.reason);
}
