// A yardstick, never part of Korrin: `korrin-cli lookup --mmdb FILE` as a short program over the
// format's C library (Debian's libmaxminddb-dev) would write it, for bench/run-lookup-bench to
// time as a whole process beside korrin-cli. One address a line in, "address,code" out; the code
// taken in korrin-cli's order: country.iso_code, country_code, a two-letter country.
#include <maxminddb.h>

#include <cstdio>
#include <cstring>

namespace {

// The string at the path, or nothing; false when there is none.
bool Text(MMDB_entry_s& entry, const char* const* path, const char*& text, unsigned& size) {
  MMDB_entry_data_s data;
  if (MMDB_aget_value(&entry, &data, path) != MMDB_SUCCESS || !data.has_data || data.type != MMDB_DATA_TYPE_UTF8_STRING)
    return false;
  text = data.utf8_string;
  size = data.data_size;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.mmdb < addresses\n", argv[0]);
    return 2;
  }
  MMDB_s db;
  if (MMDB_open(argv[1], MMDB_MODE_MMAP, &db) != MMDB_SUCCESS) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  const char* const isoCode[] = {"country", "iso_code", nullptr};
  const char* const countryCode[] = {"country_code", nullptr};
  const char* const country[] = {"country", nullptr};
  char line[256];
  int status = 0;
  while (std::fgets(line, sizeof line, stdin)) {
    line[std::strcspn(line, "\r\n")] = 0;
    if (!*line) continue;
    int gaiError = 0, error = 0;
    MMDB_lookup_result_s r = MMDB_lookup_string(&db, line, &gaiError, &error);
    if (gaiError || error != MMDB_SUCCESS) {
      std::fprintf(stderr, "%s: cannot look up\n", line);
      status = 1;
      continue;
    }
    const char* code = "";
    unsigned size = 0;
    if (r.found_entry && !Text(r.entry, isoCode, code, size) && !Text(r.entry, countryCode, code, size) &&
        !(Text(r.entry, country, code, size) && size == 2))
      size = 0;
    std::printf("%s,%.*s\n", line, static_cast<int>(size), code);
  }
  MMDB_close(&db);
  return status;
}
