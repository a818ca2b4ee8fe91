#include "settings/window_choices.h"

#include <gtest/gtest.h>

#include "tests/settings/settings_samples.h"

namespace korrin {
namespace {

TEST(KorrinSettings, WritesEveryKeyInTheFileOrder) {
  TKorrinSettings s;
  s.IPRanges = {"10.0.0.0/8", "", "B=::1/128"};
  TVHashedStringList list;
  SaveSettingsToList(s, list);
  EXPECT_EQ(
      list.Text(),
      "ResolveCountry=0\r\nMMDBField=country_code\r\nAppend=0\r\nIPRange1=10.0.0.0/8\r\nIPRange2=B=::1/128\r\n"
      "IPRangeN=2\r\nUsableHostIPAddresses=0\r\nExclude=0\r\nExcludeN=0\r\n"
      "DNS1=8.8.8.8\r\nDNS2=8.8.4.4\r\nDNSN=2\r\nDNSQueriesInFlight=64\r\nMode=0\r\nTotalCount=10\r\nEachCount=10\r\n"
      "Random=0\r\nUniqueAddresses=0\r\nEscapeIPv6=0\r\nAddPort=0\r\nPorts=80\r\nGenerateNames=0\r\n"
      "NameTemplate=mail#.example.com\r\nCounterSymbol=#\r\nFirstCounter=1\r\n"
      "CounterStep=1\r\nCounterDigits=1\r\nNameDelimiter=0\r\nNameCustomDelimiter=|\r\n"
      "IPDelimiter=0\r\nResolvedDelimiter=0\r\nUnresolvedDelimiter=0\r\n");
}

TEST(KorrinSettings, EveryFieldSurvivesARoundTrip) {
  const TKorrinSettings saved = test::EveryFieldChanged();
  TVHashedStringList list;
  SaveSettingsToList(saved, list);
  TKorrinSettings loaded;
  LoadSettingsFromList(list, loaded);
  EXPECT_EQ(loaded, saved);
}

TEST(KorrinSettings, LoadAppliesTheRulesOfEachKey) {
  struct Case {
    const char* file;
    void (*expect)(const TKorrinSettings&);
  } cases[] = {
      {"IPRangeN=0", [](const TKorrinSettings& s) { EXPECT_TRUE(s.IPRanges.empty()); }},
      {"IPRange1=x", [](const TKorrinSettings& s) { EXPECT_EQ(s.IPRanges, std::vector<std::string>{"kept"}); }},
      {"IPRangeN=3\nIPRange1=a\nIPRange3=c",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.IPRanges, (std::vector<std::string>{"a", "c"}));
       }},
      {"IPRangeN=-1\nIPRange1=a",
       [](const TKorrinSettings& s) { EXPECT_EQ(s.IPRanges, std::vector<std::string>{"kept"}); }},
      {"IPRangeN=abc", [](const TKorrinSettings& s) { EXPECT_EQ(s.IPRanges, std::vector<std::string>{"kept"}); }},
      // A claimed count far beyond the lines reads what is there, quickly.
      {"IPRangeN=2000000000\nIPRange2=b\nIPRange1999999999=z\nIPRange01=no\nIPRange1=a",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.IPRanges, (std::vector<std::string>{"a", "b", "z"}));
       }},
      {"ExcludeN=1\nExclude1=*.0\nDNSN=0",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.ExcludeMasks, std::vector<std::string>{"*.0"});
         EXPECT_TRUE(s.DNSServers.empty());
         EXPECT_FALSE(s.Exclude);
       }},
      {"Mode=7", [](const TKorrinSettings& s) { EXPECT_EQ(s.Mode, TCountChoice::AllIPs); }},
      {"Mode=1", [](const TKorrinSettings& s) { EXPECT_EQ(s.Mode, TCountChoice::TotalCount); }},
      {"mode=2", [](const TKorrinSettings& s) { EXPECT_EQ(s.Mode, TCountChoice::ForEachRange); }},
      {"Mode=x", [](const TKorrinSettings& s) { EXPECT_EQ(s.Mode, TCountChoice::AllIPs); }},
      {"TotalCount=abc\nEachCount=007",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.TotalCount, "10");
         EXPECT_EQ(s.EachCount, "7");
       }},
      {"TotalCount=$10\nEachCount= -3",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.TotalCount, "16");
         EXPECT_EQ(s.EachCount, "-3");
       }},
      {"",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.TotalCount, "10");  // missing: the default, not the current text
         EXPECT_EQ(s.Ports, "kept");     // set only when present
         EXPECT_EQ(s.MMDBFilePath, "");  // always set
         EXPECT_FALSE(s.AddPort);        // a missing flag unchecks
         EXPECT_EQ(s.NameDelimiter, 0);  // missing reads as 0, a valid index
       }},
      {"Ports=\nAddPort=yes\nRandom=1",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.Ports, "");  // present, even if empty
         EXPECT_FALSE(s.AddPort);
         EXPECT_TRUE(s.RandomOrder);
       }},
      {"NameDelimiter=4", [](const TKorrinSettings& s) { EXPECT_EQ(s.NameDelimiter, 4); }},
      {"DNSQueriesInFlight=1", [](const TKorrinSettings& s) { EXPECT_EQ(s.DNSQueriesInFlight, 1); }},
      {"DNSQueriesInFlight=0", [](const TKorrinSettings& s) { EXPECT_EQ(s.DNSQueriesInFlight, 64); }},
      {"DNSQueriesInFlight=1001", [](const TKorrinSettings& s) { EXPECT_EQ(s.DNSQueriesInFlight, 64); }},
      {"NameDelimiter=9\nIPDelimiter=3\nResolvedDelimiter=-1\nUnresolvedDelimiter=2",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.NameDelimiter, 2);
         EXPECT_EQ(s.IPDelimiter, 1);
         EXPECT_EQ(s.ResolvedDelimiter, 1);
         EXPECT_EQ(s.UnresolvedDelimiter, 2);
       }},
      {"Mode=1\nMode=2\nno separator\n=\nNameTemplate=a=b",
       [](const TKorrinSettings& s) {
         EXPECT_EQ(s.Mode, TCountChoice::ForEachRange);
         EXPECT_EQ(s.NameTemplate, "a=b");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TKorrinSettings s;
    s.IPRanges = {"kept"};
    s.Ports = "kept";
    s.MMDBFilePath = "kept";
    s.TotalCount = "99";
    s.IPDelimiter = s.ResolvedDelimiter = 1;
    s.NameDelimiter = 2;
    LoadSettingsFromList(test::ListOf(c.file), s);
    c.expect(s);
  }
}

}  // namespace
}  // namespace korrin
