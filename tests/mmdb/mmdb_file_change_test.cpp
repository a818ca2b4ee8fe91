// A database file rewritten or cut short while a look-up uses it, in a child process where a
// SIGBUS could come, so that it would show as the child's death: the reader keeps the version it
// read whole, and a mapped file cut under the mapping or written over is reported as changed,
// never a crash nor records of another version.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "mmdb/mmdb_buffer.h"
#include "mmdb/mmdb_error.h"
#include "mmdb/mmdb_file_buffer.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "tests/mmdb/mmdb_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

using namespace test;

void Signal(int fd) { (void)!write(fd, "x", 1); }
void Await(int fd) {
  char c;
  (void)!read(fd, &c, 1);
}

const char* const kAddresses[] = {"81.2.69.160", "2.125.160.216", "89.160.20.112", "2001:218::1", "216.160.83.56"};

std::string Countries(TMMDBReader& reader) {
  std::string text;
  for (const char* address : kAddresses) {
    TMMDBIPCountryInfoEx record;
    int prefix = 0;
    text += reader.FindRecord(TMMDBIPAddress::Parse(address), prefix, record) ? record.Country().ISOCode() : "-";
    text += ' ';
  }
  return text;
}

TEST(FileChange, AReaderKeepsTheVersionItOpenedWhateverBecomesOfTheFile) {
  const TTempFolder folder;
  const std::string path = folder / "in-use.mmdb";
  const std::string original = ReadBytes(TestDatabase("GeoIP2-Country-Test.mmdb"));
  const std::function<void(const std::string&)> changes[] = {
      [](const std::string& p) { std::filesystem::resize_file(p, 0); },
      [](const std::string& p) { std::filesystem::resize_file(p, 1000); },
      [&original](const std::string& p) { WriteBytes(p, std::string(original.size(), '\x55')); },
      [](const std::string& p) { WriteBytes(p, ReadBytes(TestDatabase("GeoLite2-ASN-Test.mmdb"))); },
  };
  for (const auto& change : changes) {
    WriteBytes(path, original);
    const std::string text = RunInChild(
        [&path](int toParent, int fromParent) {
          try {
            TMMDBReader reader(path);
            const std::string before = Countries(reader);
            Signal(toParent);
            Await(fromParent);  // the file has changed
            return before + "| " + Countries(reader);
          } catch (const Exception& e) {
            Signal(toParent);
            return std::string(e.what());
          }
        },
        [&](int fromChild, int) {
          Await(fromChild);
          change(path);
        });
    const size_t bar = text.find("| ");
    ASSERT_NE(bar, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, bar), text.substr(bar + 2));
    EXPECT_NE(text.substr(0, bar), "- - - - - ");
  }
}

TEST(FileChange, AMappedFileCutUnderARunningReadIsReportedAsChanged) {
  const TTempFolder folder;
  const std::string path = folder / "mapped.mmdb";
  // Large enough that the cut lands while the child is reading it over and over.
  WriteBytes(path, std::string(8 << 20, '\x01'));
  const std::string text = RunInChild(
      [&path](int toParent, int) {
        try {
          const TMMDBFileBuffer buffer(path, 0);
          Signal(toParent);
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          uint64_t sum = 0;
          while (std::chrono::steady_clock::now() < deadline)
            for (int64_t at = 0; at < buffer.Length(); at += 4096) sum += buffer.ReadOne(at);
          return "no change seen " + std::to_string(sum);
        } catch (const EMMDBError& e) {
          return std::string(e.what());
        }
      },
      [&path](int fromChild, int) {
        Await(fromChild);
        std::filesystem::resize_file(path, 4096);
      });
  EXPECT_EQ(text,
            "The file \"" + path + "\" changed while it was in use. Open it again once it has been written in full.");
}

// The database with every bit of its data section flipped: its search tree still leads to
// records, which no longer decode.
std::string DataFlipped(std::string bytes) {
  const TMMDBReader reader(std::vector<uint8_t>(bytes.begin(), bytes.end()), "flipped");
  const auto dataStart = static_cast<size_t>(reader.Metadata().SearchTreeSize() + 16);
  const size_t metadata = bytes.rfind("\xAB\xCD\xEFMaxMind.com");
  for (size_t i = dataStart; i < metadata; ++i) bytes[i] = static_cast<char>(~bytes[i]);
  return bytes;
}

// Another version that decodes as well as the first: Great Britain's code is now "XX".
std::string CodeReplaced(std::string bytes) {
  for (size_t at = 0; (at = bytes.find("\x42GB", at)) != std::string::npos; at += 3) bytes.replace(at + 1, 2, "XX");
  return bytes;
}

TEST(FileChange, AMappedFileRewrittenInPlaceIsReportedAsChanged) {
  const TTempFolder folder;
  const std::string path = folder / "mapped.mmdb";
  const std::string original = ReadBytes(TestDatabase("GeoIP2-Country-Test.mmdb"));
  const std::string changed =
      "The file \"" + path + "\" changed while it was in use. Open it again once it has been written in full.";
  struct TCase {
    const char* Name;
    std::string Bytes;
    // Look-ups after the rewrite before it must have been told: a rewrite that reads as bad data
    // is told at once, one that decodes at the periodic look at the file.
    int LookUps;
  };
  const TCase cases[] = {
      {"data flipped", DataFlipped(original), 1},
      {"another version", CodeReplaced(original), TMMDBBuffer::kLookUpsPerFileCheck},
      {"another database padded", ReadBytes(TestDatabase("GeoLite2-City-Test.mmdb")).substr(0, original.size()),
       TMMDBBuffer::kLookUpsPerFileCheck},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_EQ(c.Bytes.size(), original.size());
    ASSERT_NE(c.Bytes, original);
    WriteBytes(path, original);
    // Written long ago, so the rewrite cannot fall into the same tick of the file system's clock.
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    TMMDBReader reader(path, 0);
    ASSERT_EQ(Countries(reader), "GB GB SE JP US ");
    WriteInPlace(path, c.Bytes);
    int done = 0;
    const std::string message = Error([&] {
      for (; done < c.LookUps; ++done) {
        TMMDBIPCountryInfoEx record;
        int prefix = 0;
        reader.FindRecord(TMMDBIPAddress::Parse(kAddresses[done % std::size(kAddresses)]), prefix, record);
      }
    });
    EXPECT_EQ(message, changed) << "after " << done << " look-ups";
  }
}

}  // namespace
}  // namespace korrin
