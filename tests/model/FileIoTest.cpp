#include "model/FileIo.h"

#include "support/TestUtil.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vitrimo {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> Entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Contents(const std::string& path) {
    std::string text;
    EXPECT_FALSE(ReadWholeFile(path, text));
    return text;
}

// Every injected failure of a write ends in a message naming the file and the cause; the target keeps
// its old contents and no temporary file is left, with and without unnamed temporary files.
TEST(FileIo, FailedWritesLeaveTheTargetAndNoTemporaryFile) {
    struct Case {
        const char* what;
        FileFaults faults;
        const char* cause;
    };
    const std::string big(300000, 'x');
    const std::vector<Case> cases = {
        {"read-only folder", {.createError = EROFS}, std::strerror(EROFS)},
        {"full disk at once", {.writeError = ENOSPC, .writeErrorAfter = 0}, std::strerror(ENOSPC)},
        {"full disk half way", {.writeError = ENOSPC, .writeErrorAfter = 100000}, std::strerror(ENOSPC)},
        {"flush fails", {.syncError = EIO}, std::strerror(EIO)},
        {"rename fails", {.renameError = EXDEV}, std::strerror(EXDEV)},
    };
    for (bool withoutTmpFile : {false, true}) {
        for (Case c : cases) {
            SCOPED_TRACE(std::string(c.what) +
                         (withoutTmpFile ? ", named temporary" : ", unnamed temporary"));
            TempDir dir;
            const std::string path = dir.File("lensdata.ldt");
            ASSERT_FALSE(WriteFileAtomically(path, "old"));
            c.faults.withoutTmpFile = withoutTmpFile;
            std::optional<std::string> error;
            {
                ScopedFileFaults faults(c.faults);
                error = WriteFileAtomically(path, big);
            }
            ASSERT_TRUE(error);
            EXPECT_NE(error->find("\"" + path + "\""), std::string::npos) << *error;
            EXPECT_NE(error->find(c.cause), std::string::npos) << *error;
            EXPECT_EQ(Contents(path), "old");
            EXPECT_EQ(Entries(dir), std::vector<std::string>{"lensdata.ldt"});
        }
    }
}

// A writer killed half way through (here: a child process that ends itself after the first block)
// leaves at most a temporary file of the recognisable name, and the next write of the same file removes
// it. A temporary file of a process that still runs is left alone.
TEST(FileIo, ALeftoverOfAKilledWriterGoesWithTheNextWrite) {
    for (bool withoutTmpFile : {false, true}) {
        SCOPED_TRACE(withoutTmpFile ? "named temporary" : "unnamed temporary");
        TempDir dir;
        const std::string path = dir.File("out.ldt");
        ASSERT_FALSE(WriteFileAtomically(path, "old"));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FileFaults faults;
            faults.withoutTmpFile = withoutTmpFile;
            faults.afterWrite = [](std::size_t) { ::_exit(0); };
            ScopedFileFaults scoped(faults);
            WriteFileAtomically(path, std::string(3u << 20, 'y'));
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer stopped half way";
        EXPECT_EQ(Contents(path), "old");

        const std::string prefix = fs::path(TemporaryFilePrefix(path)).filename().string();
        const auto entries = Entries(dir);
        if (withoutTmpFile) {
            // Without unnamed files the killed writer's file is there, under the recognisable name.
            ASSERT_EQ(entries.size(), 2u);
            EXPECT_TRUE(entries[0].starts_with(prefix + std::to_string(child) + "-")) << entries[0];
        } else {
            EXPECT_EQ(entries, std::vector<std::string>{"out.ldt"});
        }
        // A live process's temporary file (process 1 always runs) must stay.
        const std::string live = TemporaryFilePrefix(path) + "1-abcdef";
        ASSERT_FALSE(WriteFileAtomically(live, "another instance writing"));
        ASSERT_FALSE(WriteFileAtomically(path, "new"));
        EXPECT_EQ(Contents(path), "new");
        EXPECT_EQ(Entries(dir), (std::vector<std::string>{fs::path(live).filename().string(), "out.ldt"}));
    }
}

TEST(FileIo, AFileThatChangesWhileItIsReadIsRefusedOneThatVanishesIsReadWhole) {
    TempDir dir;
    const std::string path = dir.File("Ohara.txt");
    const std::string contents(200000, 'g');
    struct Case {
        const char* what;
        std::function<void()> change;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"shrinks", [&] { ASSERT_EQ(::truncate(path.c_str(), 1000), 0); }, true},
        {"grows",
         [&] {
             std::FILE* f = std::fopen(path.c_str(), "ab");
             std::fputs("more", f);
             std::fclose(f);
         },
         true},
        {"vanishes", [&] { ASSERT_EQ(::unlink(path.c_str()), 0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(WriteFileAtomically(path, contents));
        bool changed = false;
        std::string text = "before";
        std::optional<std::string> error;
        {
            FileFaults faults;
            faults.afterRead = [&](std::size_t) {
                if (!changed) c.change();
                changed = true;
            };
            ScopedFileFaults scoped(faults);
            error = ReadWholeFile(path, text);
        }
        ASSERT_TRUE(changed);
        if (c.refused) {
            ASSERT_TRUE(error);
            EXPECT_NE(error->find("changed while it was being read"), std::string::npos) << *error;
            EXPECT_EQ(text, "before");
        } else {
            EXPECT_FALSE(error) << *error;
            EXPECT_EQ(text, contents); // the open file still has its data
        }
    }
}

TEST(FileIo, FilesAboveTheLimitAreRefusedBeforeTheyAreRead) {
    TempDir dir;
    const std::string path = dir.File("huge.ldt");
    test::MakeSparseFile(path, off_t{100} << 20);
    std::size_t reads = 0;
    FileFaults faults;
    faults.afterRead = [&](std::size_t) { ++reads; };
    ScopedFileFaults scoped(faults);
    std::string text;
    const auto error = ReadWholeFile(path, text, kMaxDataFileBytes);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("too large (the limit is 16 MiB)"), std::string::npos) << *error;
    EXPECT_EQ(reads, 0u);
}

TEST(FileIo, TextThatIsNotPlainTextIsNamed) {
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xFF\xFE"
         "N\0o\0\t\0"s,
         "UTF-16"},
        {"\xFE\xFF"
         "\0N\0o\0\t"s,
         "UTF-16"},
        {"N\0o\0\t\0r\0\t\0D\0i\0"s, "UTF-16"}, // without a byte-order mark
        {"\0N\0o\0\t\0r\0\t\0D\0i"s, "UTF-16"},
        {"\xFF\xFE\0\0N\0\0\0"s, "UTF-32"},
        {"No\tr\0\x01\x02\x03 binary"s, "binary data (a zero byte at offset 4)"},
    };
    for (const auto& [text, message] : cases) {
        const auto why = NotPlainText(text);
        ASSERT_TRUE(why) << message;
        EXPECT_NE(why->find(message), std::string::npos) << *why;
    }
    EXPECT_FALSE(NotPlainText("No\tr\tDistance\r\n\xE7\x84\xA6\xE7\x82\xB9")); // UTF-8 is text
    EXPECT_FALSE(NotPlainText("\xEF\xBB\xBFNo\tr\r\n"));
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB\xBFNo"), "No");
    EXPECT_EQ(WithoutByteOrderMark("No\xEF\xBB\xBF"), "No\xEF\xBB\xBF");
}

} // namespace
} // namespace vitrimo
