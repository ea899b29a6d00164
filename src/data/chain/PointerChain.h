#pragma once
// Ordered list of untyped pointers: a doubly linked chain with a remembered
// position (the cursor), addressed by 1-based position. Positional access walks
// from whichever of cursor, First and Last is nearest, so reading a chain in
// order, forwards or backwards, costs one step per access.
//
// The chain never owns what its pointers point to: destroying it frees only
// its nodes. Owners free their elements first.

#include <cstdint>
#include <string>

class TPointerChain {
public:
  explicit TPointerChain(std::string name);
  ~TPointerChain();
  TPointerChain(const TPointerChain &) = delete;
  TPointerChain &operator=(const TPointerChain &) = delete;

  // Appends after Last; the new node becomes Last and the cursor.
  // False only when no node could be allocated.
  bool Add(void *data);
  // Data at position (1..Count), or nullptr when outside. Moves the cursor.
  void *GetItem(int32_t position);
  // Replaces the Data at position; an unreachable position leaves the data
  // alone and resets the cursor to the first node.
  void SetItem(int32_t position, void *data);
  // Unlinks and frees the node at position (not its Data); the cursor ends at
  // position 1. False when the position is outside 1..Count.
  bool Delete(int32_t position);
  int32_t Count() const { return count_; }

  // Inspection, for tests and benchmarks: the cursor's position and the number
  // of single steps every walk so far has taken.
  int32_t CurrentIndex() const { return currentIndex_; }
  uint64_t StepCount() const { return steps_; }
  const std::string &Name() const { return name_; }

private:
  struct Node {
    void *Data;
    Node *Next;
    Node *Prev;
  };

  // Moves the cursor towards target; true when it arrived.
  bool Position(int32_t target);
  void ResetToFirst();

  int32_t count_ = 0;
  Node *current_ = nullptr;
  int32_t currentIndex_ = 0;
  Node *first_ = nullptr;
  Node *last_ = nullptr;
  std::string name_;
  uint64_t steps_ = 0;
};
