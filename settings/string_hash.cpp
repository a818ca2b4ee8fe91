#include "settings/string_hash.h"

#include <algorithm>

#include "common/utf8.h"

namespace korrin {

TVStringHash::TVStringHash(int32_t Size) : FBuckets(static_cast<size_t>(std::max(Size, 1))) {}

TVStringHash::~TVStringHash() { Clear(); }

uint32_t TVStringHash::HashOf(std::string_view Key) const {
  uint32_t h = 0;
  auto fold = [&h](char32_t unit) { h = ((h << 2) | (h >> 30)) ^ static_cast<uint32_t>(unit); };
  for (size_t pos = 0; pos < Key.size();) {
    const TDecodedCodePoint decoded = DecodeUtf8At(Key, pos);
    pos += decoded.Length;
    const char32_t c = decoded.Value;
    if (c < 0x10000) {
      fold(c);
    } else {
      fold(0xD800 + ((c - 0x10000) >> 10));
      fold(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return h;
}

std::unique_ptr<TVHashItem>& TVStringHash::BucketOf(std::string_view Key) {
  return FBuckets[HashOf(Key) % FBuckets.size()];
}

const std::unique_ptr<TVHashItem>& TVStringHash::BucketOf(std::string_view Key) const {
  return FBuckets[HashOf(Key) % FBuckets.size()];
}

void TVStringHash::Add(std::string_view Key, int32_t Value) {
  auto& head = BucketOf(Key);
  auto item = std::make_unique<TVHashItem>();
  item->Key = std::string(Key);
  item->Value = Value;
  item->Next = std::move(head);
  head = std::move(item);
  ++FItemCount;
}

int32_t TVStringHash::ValueOf(std::string_view Key) const {
  for (const TVHashItem* p = BucketOf(Key).get(); p; p = p->Next.get())
    if (p->Key == Key) return p->Value;
  return -1;
}

bool TVStringHash::Delete(std::string_view Key, int32_t Value) {
  for (std::unique_ptr<TVHashItem>* link = &BucketOf(Key); *link; link = &(*link)->Next) {
    if ((*link)->Key == Key && (*link)->Value == Value) {
      *link = std::move((*link)->Next);
      --FItemCount;
      return true;
    }
  }
  return false;
}

void TVStringHash::DecValues(int32_t Value) {
  for (auto& head : FBuckets)
    for (TVHashItem* p = head.get(); p; p = p->Next.get())
      if (p->Value > Value) --p->Value;
}

void TVStringHash::Clear() {
  // Unlinks iteratively: a long chain freed recursively could exhaust the stack.
  for (auto& head : FBuckets)
    while (head) head = std::move(head->Next);
  FItemCount = 0;
}

void TVStringHash::Resize(int32_t Size) {
  std::vector<std::unique_ptr<TVHashItem>> old = std::move(FBuckets);
  FBuckets = std::vector<std::unique_ptr<TVHashItem>>(static_cast<size_t>(std::max(Size, 1)));
  std::vector<std::unique_ptr<TVHashItem>*> tails(FBuckets.size());
  for (size_t b = 0; b < FBuckets.size(); ++b) tails[b] = &FBuckets[b];
  // Appending at the tails keeps each chain's order among the items that stay together.
  for (auto& head : old) {
    while (head) {
      std::unique_ptr<TVHashItem> item = std::move(head);
      head = std::move(item->Next);
      auto*& tail = tails[HashOf(item->Key) % FBuckets.size()];
      *tail = std::move(item);
      tail = &(*tail)->Next;
    }
  }
}

}  // namespace korrin
