// Other processes writing the same hive file: at the same time, and killed at random moments.
#include "platform/FileHive.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace evidor;

namespace {

const std::string kKey = "Software\\Linkora\\Test";

/// A running hive_writer whose standard output is read through a pipe.
class Writer
{
public:
    Writer(const std::string& file, const std::string& prefix, long count)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string countText = std::to_string(count);
        char* argv[] = {const_cast<char*>(HIVE_WRITER), const_cast<char*>(file.c_str()),
                        const_cast<char*>(prefix.c_str()), const_cast<char*>(countText.c_str()), nullptr};
        if (posix_spawn(&m_pid, HIVE_WRITER, &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_out = fds[0];
    }
    ~Writer()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    bool started() const { return m_pid > 0; }
    /// Blocks until the writer's key exists and it starts writing values.
    bool waitReady()
    {
        std::string seen;
        char c;
        while (seen.find("ready\n") == std::string::npos && ::read(m_out, &c, 1) == 1)
            seen += c;
        return seen.find("ready\n") != std::string::npos;
    }
    void kill() { ::kill(m_pid, SIGKILL); }
    /// The exit status, or -1 when it did not exit normally.
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    bool m_reaped = false;
};

std::set<std::string> temporariesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(".registry.reg.", 0) == 0)
            names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(HiveReliabilityTest, TwoProcessesWritingAtOnceLoseNothing)
{
    test::TempDir dir;
    const std::string file = dir.file("registry.reg");
    constexpr long kCount = 1000;
    Writer a(file, "a", kCount);
    Writer b(file, "b", kCount);
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    const auto root = parseRegText(dir.read("registry.reg"));
    ASSERT_TRUE(root);
    const RegKey* key = root->find(splitKeyPath(kKey));
    ASSERT_TRUE(key);
    int lost = 0;
    for (const char* prefix : {"a", "b"})
        for (long i = 0; i < kCount; ++i) {
            const RegValue* v = key->findValue(prefix + std::to_string(i));
            if (!v || regStringToUtf8(v->data) != std::to_string(i))
                ++lost;
        }
    // Values stand in the order they were made: many switches between a and b show that the
    // two really wrote at the same time.
    int switches = 0;
    for (std::size_t i = 1; i < key->values.size(); ++i)
        switches += key->values[i].name[0] != key->values[i - 1].name[0];
    std::cout << "[ figures  ] " << 2 * kCount << " values written by two processes at once, " << lost
              << " lost, " << switches << " switches between the writers\n";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(key->values.size(), static_cast<std::size_t>(2 * kCount));
    EXPECT_GT(switches, 10);
    EXPECT_TRUE(temporariesIn(dir.path()).empty());
}

TEST(HiveReliabilityTest, AWriterKilledAtAnyMomentLeavesAFileThatParses)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    const std::string file = dir.file("registry.reg");
    {
        // A file of some size, so that a kill often lands inside writing it.
        FileHive seed(file, prompts);
        ASSERT_TRUE(seed.createKey(kKey));
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(seed.writeString(kKey, "seed" + std::to_string(i), std::string(40, 'x')));
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 3000);

    constexpr int kKills = 100;
    int parsed = 0;
    std::set<std::string> leftBehind; // each a writer killed between making and renaming its file
    int shrank = 0;
    std::size_t values = 200;
    for (int k = 0; k < kKills; ++k) {
        Writer w(file, "k" + std::to_string(k) + "_", 0);
        ASSERT_TRUE(w.started());
        ASSERT_TRUE(w.waitReady());
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        w.kill();
        EXPECT_EQ(w.wait(), -1);

        const auto root = parseRegText(dir.read("registry.reg"));
        if (!root)
            continue;
        ++parsed;
        const RegKey* key = root->find(splitKeyPath(kKey));
        const std::size_t now = key ? key->values.size() : 0;
        shrank += now < values;
        values = now;
        leftBehind.merge(temporariesIn(dir.path()));
    }
    std::cout << "[ figures  ] " << kKills << " writers killed, " << parsed << " files parsed, "
              << leftBehind.size() << " killed while writing, " << values - 200 << " values committed, seed "
              << seed << "\n";
    EXPECT_EQ(parsed, kKills) << "seed " << seed;
    EXPECT_EQ(shrank, 0) << "seed " << seed;

    // The next change clears what the killed writers left, and nothing was ever set aside.
    FileHive hive(file, prompts);
    EXPECT_TRUE(hive.writeString(kKey, "after", "1"));
    EXPECT_TRUE(temporariesIn(dir.path()).empty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(HiveReliabilityTest, TwoProcessesMeetingABrokenFileSetItAsideOnce)
{
    test::TempDir dir;
    const std::string broken =
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software]\n\"x\"=?\n";
    dir.write("registry.reg", broken);
    Writer a(dir.file("registry.reg"), "a", 50);
    Writer b(dir.file("registry.reg"), "b", 50);
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    int asides = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().find("poskodeny") != std::string::npos) {
            ++asides;
            EXPECT_EQ(dir.read(e.path().filename().string()), broken);
        }
    EXPECT_EQ(asides, 1);
    const auto root = parseRegText(dir.read("registry.reg"));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->find(splitKeyPath(kKey))->values.size(), 100u);
}
