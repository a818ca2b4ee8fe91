// A yardstick, never part of Korrin: the same million look-ups through libmaxminddb (Debian's
// libmaxminddb-dev), built only by bench/run-mmdb-bench. Prints look-ups a second for a full
// entry decode and for country/iso_code alone, by CPU time as mmdb_bench's counters are.
#include <arpa/inet.h>
#include <maxminddb.h>

#include <time.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kAddresses = 1000000;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

template <typename F>
double Rate(const std::vector<sockaddr_in>& addresses, F lookup) {
  const double start = CpuSeconds();
  for (const sockaddr_in& a : addresses) lookup(reinterpret_cast<const sockaddr*>(&a));
  return addresses.size() / (CpuSeconds() - start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.mmdb\n", argv[0]);
    return 2;
  }
  MMDB_s db;
  if (MMDB_open(argv[1], MMDB_MODE_MMAP, &db) != MMDB_SUCCESS) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::mt19937 rng(12345);  // the addresses of mmdb_bench
  std::vector<sockaddr_in> addresses(kAddresses);
  for (sockaddr_in& a : addresses) {
    a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(static_cast<uint32_t>(rng()));
  }
  long found = 0;
  const double full = Rate(addresses, [&](const sockaddr* sa) {
    int error;
    MMDB_lookup_result_s r = MMDB_lookup_sockaddr(&db, sa, &error);
    if (!r.found_entry) return;
    MMDB_entry_data_list_s* list = nullptr;
    if (MMDB_get_entry_data_list(&r.entry, &list) == MMDB_SUCCESS) ++found;
    MMDB_free_entry_data_list(list);
  });
  const double country = Rate(addresses, [&](const sockaddr* sa) {
    int error;
    MMDB_lookup_result_s r = MMDB_lookup_sockaddr(&db, sa, &error);
    if (!r.found_entry) return;
    MMDB_entry_data_s data;
    MMDB_get_value(&r.entry, &data, "country", "iso_code", nullptr);
  });
  std::printf("libmaxminddb %s: full entry decode %.2f million/s, country/iso_code %.2f million/s (%ld found)\n",
              argv[1], full / 1e6, country / 1e6, found);
  MMDB_close(&db);
  return 0;
}
