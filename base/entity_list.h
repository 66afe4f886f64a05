// Entity lists: doubly linked lists of zero-filled records with one cursor.
//
// The cursor rules are what every update loop relies on:
//   - add() inserts a fresh record after the current one (at the front when
//     there is none) and makes it current;
//   - reset() leaves no current record, so the next next() yields the first;
//   - next() moves on and yields the record, or yields nullptr at the end and
//     stays on the last;
//   - remove() deletes the current record and makes the previous one current
//     (none if it was the first), so a loop of next() steps goes on with the
//     record after the deleted one;
//   - append() adds at the end whatever the cursor is on.
// Deleted nodes are kept for reuse, so a game in full swing adds and removes
// shots without touching the heap.
#pragma once

#include <type_traits>

template <class T>
class EntityList {
  public:
    EntityList() = default;
    EntityList(const EntityList& other) { *this = other; }
    // A copy of other, record for record in the same order with the cursor
    // on the same record: what a snapshot of a game needs. It reuses this
    // list's nodes, live and spare, so once this list has held as many
    // records as other, copying allocates nothing beyond what the records'
    // own members may need.
    EntityList& operator=(const EntityList& other) {
        if (this == &other) return *this;
        Node* reuse = head_;
        if (tail_)
            tail_->next = spare_;
        else
            reuse = spare_;
        head_ = tail_ = current_ = spare_ = nullptr;
        count_ = 0;
        for (const Node* o = other.head_; o; o = o->next) {
            Node* n = reuse;
            if (n)
                reuse = n->next;
            else
                n = new Node{};
            n->record = o->record;
            n->prev = tail_;
            n->next = nullptr;
            (tail_ ? tail_->next : head_) = n;
            tail_ = n;
            if (o == other.current_) current_ = n;
            ++count_;
        }
        spare_ = reuse;  // the nodes left over wait for the next add()
        return *this;
    }
    EntityList(EntityList&& other) noexcept { take(other); }
    EntityList& operator=(EntityList&& other) noexcept {
        if (this != &other) {
            freeAll();
            take(other);
        }
        return *this;
    }
    ~EntityList() { freeAll(); }

    T* add() {
        Node* n = spare_;
        if (n) {
            spare_ = n->next;
            n->record = T{};
        } else {
            n = new Node{};
        }
        Node* after = current_;
        n->prev = after;
        n->next = after ? after->next : head_;
        if (n->next)
            n->next->prev = n;
        else
            tail_ = n;
        if (after)
            after->next = n;
        else
            head_ = n;
        current_ = n;
        ++count_;
        return &n->record;
    }

    // Adds a fresh record after the last one, whatever is current, and makes
    // it current: for lists that keep creation order.
    T* append() {
        current_ = tail_;
        return add();
    }

    // Keeps nodes for at least this many records in all, live and spare, so
    // that the list (or a copy made into it) grows that far without
    // allocating.
    void reserve(int records) {
        int nodes = count_;
        for (const Node* n = spare_; n; n = n->next) ++nodes;
        for (; nodes < records; ++nodes) {
            Node* n = new Node{};
            n->next = spare_;
            spare_ = n;
        }
    }

    void reset() { current_ = nullptr; }

    T* next() {
        Node* n = current_ ? current_->next : head_;
        if (!n) return nullptr;
        current_ = n;
        return &n->record;
    }

    T* current() { return current_ ? &current_->record : nullptr; }

    void remove() {
        Node* n = current_;
        if (!n) return;
        if (n->prev)
            n->prev->next = n->next;
        else
            head_ = n->next;
        if (n->next)
            n->next->prev = n->prev;
        else
            tail_ = n->prev;
        current_ = n->prev;
        n->next = spare_;
        n->prev = nullptr;
        spare_ = n;
        --count_;
    }

    int count() const { return count_; }

    // Makes element number index (0 = first) current and yields it.
    T* select(int index) {
        if (index < 0 || index >= count_) return nullptr;
        Node* n = head_;
        for (int i = 0; i < index; ++i) n = n->next;
        current_ = n;
        return &n->record;
    }

    void clear() {
        while (head_) {
            Node* n = head_;
            head_ = n->next;
            n->record = T{};  // let go of what the record holds (names, ...)
            n->next = spare_;
            n->prev = nullptr;
            spare_ = n;
        }
        tail_ = current_ = nullptr;
        count_ = 0;
    }

    // Read-only walk that leaves the cursor alone (drawing order checks,
    // digests, tests).
    template <class F>
    void forEach(F&& f) const {
        for (const Node* n = head_; n; n = n->next) f(n->record);
    }

  private:
    struct Node;

    void freeAll() {
        clear();
        while (spare_) {
            Node* n = spare_;
            spare_ = n->next;
            delete n;
        }
    }

    void take(EntityList& other) {
        head_ = other.head_;
        tail_ = other.tail_;
        current_ = other.current_;
        spare_ = other.spare_;
        count_ = other.count_;
        other.head_ = other.tail_ = other.current_ = other.spare_ = nullptr;
        other.count_ = 0;
    }

    struct Node {
        T record{};
        Node* prev = nullptr;
        Node* next = nullptr;
    };
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* current_ = nullptr;
    Node* spare_ = nullptr;
    int count_ = 0;
};
