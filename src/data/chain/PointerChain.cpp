#include "data/chain/PointerChain.h"

#include <new>

TPointerChain::TPointerChain(std::string name) : name_(std::move(name)) {}

TPointerChain::~TPointerChain() {
  // From Last back to First; the Data is left alone.
  Node *node = last_;
  while (node) {
    Node *prev = node->Prev;
    delete node;
    node = prev;
  }
}

bool TPointerChain::Add(void *data) {
  Node *node = new (std::nothrow) Node{data, nullptr, last_};
  if (!node)
    return false;
  if (last_)
    last_->Next = node;
  else
    first_ = node;
  last_ = node;
  ++count_;
  current_ = node;
  currentIndex_ = count_;
  return true;
}

bool TPointerChain::Position(int32_t target) {
  if (target < 1 || target > count_)
    return false;
  if (target > currentIndex_) {
    if (target - currentIndex_ >= count_ - target) { // a tie starts from Last
      current_ = last_;
      currentIndex_ = count_;
    }
  } else if (target < currentIndex_) {
    if (currentIndex_ - target >= target - 1) { // a tie starts from First
      current_ = first_;
      currentIndex_ = 1;
    }
  }
  if (target > currentIndex_) {
    while (current_->Next && currentIndex_ != target && currentIndex_ < count_) {
      current_ = current_->Next;
      ++currentIndex_;
      ++steps_;
    }
  } else {
    while (current_->Prev && currentIndex_ != target && currentIndex_ > 1) {
      current_ = current_->Prev;
      --currentIndex_;
      ++steps_;
    }
  }
  return currentIndex_ == target;
}

void TPointerChain::ResetToFirst() {
  if (count_ > 0) {
    current_ = first_;
    currentIndex_ = 1;
  }
}

void *TPointerChain::GetItem(int32_t position) {
  return Position(position) ? current_->Data : nullptr;
}

void TPointerChain::SetItem(int32_t position, void *data) {
  if (Position(position))
    current_->Data = data;
  else
    ResetToFirst();
}

bool TPointerChain::Delete(int32_t position) {
  if (count_ < 1 || position > count_)
    return false;
  if (!Position(position)) {
    ResetToFirst();
    return false;
  }
  Node *node = current_;
  if (position == 1)
    first_ = node->Next;
  if (position == count_)
    last_ = node->Prev;
  if (node->Prev)
    node->Prev->Next = node->Next;
  if (node->Next)
    node->Next->Prev = node->Prev;
  delete node;
  --count_;
  if (count_ == 0) {
    current_ = nullptr;
    currentIndex_ = 0;
    first_ = last_ = nullptr;
  } else {
    current_ = first_;
    currentIndex_ = 1;
  }
  return true;
}
