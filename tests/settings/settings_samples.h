#pragma once
// Sample choices and lists shared by the settings tests.
#include "settings/window_choices.h"

#include <string>

namespace korrin::test {

// Every field away from its default; the template is not ASCII.
inline TKorrinSettings EveryFieldChanged() {
  TKorrinSettings s;
  s.ResolveCountry = true;
  s.MMDBFilePath = "/data/country.mmdb";
  s.Append = true;
  s.IPRanges = {"127.0.0.1/24", "A=192.168.1.100/16/24", "fdc7:200d:3e17::/120"};
  s.UsableHostIPAddresses = true;
  s.Exclude = true;
  s.ExcludeMasks = {"*.0", "*.255"};
  s.DNSServers = {"127.0.0.77"};
  s.DNSQueriesInFlight = 8;
  s.Mode = TCountChoice::ForEachRange;
  s.TotalCount = "1000";
  s.EachCount = "25";
  s.RandomOrder = true;
  s.UniqueAddresses = true;
  s.EscapeIPv6 = true;
  s.AddPort = true;
  s.Ports = "80,3128-3130";
  s.GenerateNames = true;
  s.NameTemplate = "h\xC3\xB4te-@.example.org";
  s.CounterSymbol = "@";
  s.FirstCounter = "100";
  s.CounterStep = "-2";
  s.CounterDigits = "4";
  s.NameDelimiter = 4;
  s.NameCustomDelimiter = "; ";
  s.IPDelimiter = 1;
  s.ResolvedDelimiter = 2;
  s.UnresolvedDelimiter = 1;
  s.WindowGeometry = "AdnQywADAAA=";
  s.WindowSplitter = "AAAA/wAAAAE=";
  s.ViewerSize = "640x480";
  return s;
}

inline TVHashedStringList ListOf(const std::string& text) {
  TVHashedStringList list;
  list.SetText(text);
  return list;
}

}  // namespace korrin::test
