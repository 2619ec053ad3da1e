// Singly linked, owning chains of records in script order. Records link to
// the next one through a `std::unique_ptr<T> Next`; tree records also own a
// chain of children. Freeing walks a work list instead of recursing, so a
// model with tens of thousands of records, or a deeply nested tree, cannot
// overflow the stack.
#pragma once

#include <memory>
#include <utility>
#include <vector>

namespace package {

template <class T> class Chain;

namespace detail {
// A tree record exposes its children's chain through Children(); the
// records without children have none.
template <class T>
concept HasChildren = requires(T &Node) {
  Node.Children();
};

template <class T> void FreeLinks(std::unique_ptr<T> &First) {
  if (!First)
    return;
  std::vector<std::unique_ptr<T>> Work;
  Work.push_back(std::move(First));
  while (!Work.empty()) {
    std::unique_ptr<T> Node = std::move(Work.back());
    Work.pop_back();
    if (Node->Next)
      Work.push_back(std::move(Node->Next));
    if constexpr (HasChildren<T>) {
      std::unique_ptr<T> Child = Node->Children().Release();
      if (Child)
        Work.push_back(std::move(Child));
    }
    // Node goes here with nothing left hanging from it of its own kind.
  }
}
} // namespace detail

template <class T> class Chain {
public:
  Chain() = default;
  Chain(const Chain &) = delete;
  Chain &operator=(const Chain &) = delete;
  Chain(Chain &&Other) noexcept : FFirst(std::move(Other.FFirst)), FLast(Other.FLast) {
    Other.FLast = nullptr;
  }
  Chain &operator=(Chain &&Other) noexcept {
    if (this != &Other) {
      Clear();
      FFirst = std::move(Other.FFirst);
      FLast = Other.FLast;
      Other.FLast = nullptr;
    }
    return *this;
  }
  ~Chain() { Clear(); }

  T *First() const { return FFirst.get(); }
  T *Last() const { return FLast; }
  bool Empty() const { return !FFirst; }

  // Appends Node (and whatever already follows it) at the end; returns it.
  T *Append(std::unique_ptr<T> Node) {
    T *Added = Node.get();
    if (!Added)
      return nullptr;
    if (FLast)
      FLast->Next = std::move(Node);
    else
      FFirst = std::move(Node);
    FLast = Added;
    while (FLast->Next)
      FLast = FLast->Next.get();
    return Added;
  }
  T *AppendNew() { return Append(std::make_unique<T>()); }

  // Takes the whole chain out, leaving this one empty.
  std::unique_ptr<T> Release() {
    FLast = nullptr;
    return std::move(FFirst);
  }

  // Unlinks Node from the chain and hands it over; nullptr when absent.
  std::unique_ptr<T> Remove(T *Node) {
    std::unique_ptr<T> *Link = &FFirst;
    T *Before = nullptr;
    while (*Link && Link->get() != Node) {
      Before = Link->get();
      Link = &(*Link)->Next;
    }
    if (!*Link)
      return nullptr;
    std::unique_ptr<T> Taken = std::move(*Link);
    *Link = std::move(Taken->Next);
    if (FLast == Node)
      FLast = Before;
    return Taken;
  }

  void Clear() {
    FLast = nullptr;
    detail::FreeLinks(FFirst);
  }

  size_t Count() const {
    size_t N = 0;
    for (T *P = First(); P; P = P->Next.get())
      ++N;
    return N;
  }

  // Range-for over the records, in chain order.
  class Iterator {
  public:
    explicit Iterator(T *P) : FP(P) {}
    T &operator*() const { return *FP; }
    T *operator->() const { return FP; }
    Iterator &operator++() {
      FP = FP->Next.get();
      return *this;
    }
    bool operator!=(const Iterator &O) const { return FP != O.FP; }
    bool operator==(const Iterator &O) const { return FP == O.FP; }

  private:
    T *FP;
  };
  Iterator begin() const { return Iterator(FFirst.get()); }
  Iterator end() const { return Iterator(nullptr); }

private:
  std::unique_ptr<T> FFirst;
  T *FLast = nullptr;
};

} // namespace package
