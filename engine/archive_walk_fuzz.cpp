// A downloaded package, walked from memory as the extraction walks it: the package is surveyed
// as a whole, every entry's record is read and its name judged, and every file entry is
// inflated with the CRC verdict. Entries
// of a package that the extraction would refuse as a whole are inflated too, so that mutated
// names do not hide the inflation from the fuzzer.
#include <cstddef>
#include <cstdint>

#include "common/memory_archive_file.h"
#include "common/testing/fuzz_check.h"
#include "engine/archive_walk.h"
#include "engine/testing/entry_name_checks.h"

namespace {

// Inflation per input stops here: a small input may announce and even hold far more (deflate
// reaches about 1000:1), which would only slow the fuzzer down.
constexpr uint64_t kInflateBudgetBytes = 16 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryArchiveFile file(data, size);
  ArchiveWalk walk;
  if (!walk.Open(nullptr, file.Functions())) {
    FuzzCheck(walk.EntryCount() == 0, "an archive that does not open has no entries");
    return 0;
  }
  // As long as C:\Program Files (x86)\Bokrin\ with its separator.
  constexpr size_t kInstallDirLength = 30;
  const PackageSurvey survey = SurveyPackage(&walk, kInstallDirLength, CompareAsciiCaseBlind);
  FuzzCheck(survey.fault == PackageFault::kNone || survey.fault == PackageFault::kNoClientExecutable ||
                survey.entry < walk.EntryCount(),
            "a refused entry is one of the archive's");
  bool has_client = false;
  uint64_t budget = kInflateBudgetBytes;
  for (size_t number = 0; number < walk.EntryCount(); ++number) {
    ArchiveRecord record;
    if (walk.ReadRecord(number, &record) != 0) continue;
    // Decoded from UTF-8 first, which the UTF-16 names of entry_names_fuzz skip.
    CheckCleanedName(record.name);
    const bool directory = IsDirectoryEntry(record.attributes, record.name);
    has_client = has_client || IsClientExecutableEntry(record.name, directory);
    if (survey.fault == PackageFault::kNone) {
      FuzzCheck(IsContainedEntryName(record.name) && FitsPathLimits(kInstallDirLength, record.name, directory),
                "an accepted package has only names that Windows opens as they are");
      FuzzCheck(!record.encrypted && (record.compression_method == 0 || record.compression_method == 8),
                "an accepted package has only entries the reader can inflate");
    }
    if (directory || budget == 0) continue;

    uint64_t inflated = 0;
    bool over_budget = false;
    const int result = walk.Inflate(number, [&](const char*, size_t block) {
      FuzzCheck(block > 0 && block <= kInflateBlockBytes, "a sink gets blocks of bounded, non-zero size");
      inflated += block;
      over_budget = inflated > budget;
      return !over_budget;
    });
    budget = over_budget ? 0 : budget - inflated;
    if (result == 0) {
      FuzzCheck(inflated == record.uncompressed_size, "an entry inflated without error has its announced size");
    }
  }
  FuzzCheck(survey.fault != PackageFault::kNone || has_client, "an accepted package holds the client");
  FuzzCheck(walk.ReadRecord(walk.EntryCount(), nullptr) == kArchiveNoSuchEntry, "no entry past the last one");
  return 0;
}
