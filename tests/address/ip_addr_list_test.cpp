#include "address/ip_addr_list.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(IPAddrList, GrowsByTheSharedRule) {
  TIPAddrList list;
  std::vector<int> capacities;
  for (int i = 0; i < 100; ++i) {
    list.Add(TIPAddr::FromIPv4(TIPv4{static_cast<uint32_t>(i)}));
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
  EXPECT_EQ(list.Count(), 100);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(IPAddrList, InsertDeleteAndBounds) {
  TIPAddrList list;
  list.Add(StrToIPAddr("1.1.1.1"));
  list.Add(StrToIPAddr("3.3.3.3"));
  list.Insert(1, StrToIPAddr("2.2.2.2"));
  list.Insert(3, StrToIPAddr("::4"));
  EXPECT_EQ(IPAddrToStr(list.IPAddress(1), false), "2.2.2.2");
  list.Delete(0);
  EXPECT_EQ(IPAddrToStr(list.IPAddress(0), false), "2.2.2.2");
  EXPECT_EQ(IPAddrToStr(list.IPAddress(2), false), "::4");
  try {
    list.GetIPAddress(3);
    FAIL();
  } catch (const EIPAddrListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_THROW(list.Insert(5, StrToIPAddr("1.1.1.1")), EIPAddrListError);
  EXPECT_THROW(list.Delete(-1), EIPAddrListError);
  try {
    list.SetCapacity(2);
    FAIL();
  } catch (const EIPAddrListError& e) {
    EXPECT_STREQ(e.what(), "List capacity out of bounds (2)");
  }
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace korrin
