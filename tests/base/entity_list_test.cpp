#include "base/entity_list.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

struct Record {
    int id = 0;
    double value = 0;
};

std::vector<int> ids(const EntityList<Record>& list) {
    std::vector<int> out;
    list.forEach([&](const Record& r) { out.push_back(r.id); });
    return out;
}

TEST(EntityList, AddInsertsAfterTheCurrentRecord) {
    EntityList<Record> list;
    list.add()->id = 1;  // no current: front
    list.add()->id = 2;  // after 1
    list.reset();
    list.add()->id = 0;  // no current again: front
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2}));
    list.select(1);
    list.add()->id = 5;
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 5, 2}));
    EXPECT_EQ(list.current()->id, 5);
    list.append()->id = 9;
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 5, 2, 9}));
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.select(5), nullptr);
    EXPECT_EQ(list.select(-1), nullptr);
}

TEST(EntityList, DeletingDuringAWalkContinuesWithTheNextRecord) {
    EntityList<Record> list;
    for (int i = 1; i <= 5; ++i) list.add()->id = i;
    std::vector<int> visited;
    list.reset();
    while (Record* r = list.next()) {
        visited.push_back(r->id);
        if (r->id == 1 || r->id == 3 || r->id == 5) list.remove();
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ids(list), (std::vector<int>{2, 4}));
    // At the end next() yields nothing and stays on the last record, so an
    // add after a full walk lands at the end.
    EXPECT_EQ(list.next(), nullptr);
    EXPECT_EQ(list.current()->id, 4);
    list.add()->id = 6;
    EXPECT_EQ(ids(list), (std::vector<int>{2, 4, 6}));
}

TEST(EntityList, AddingDuringAWalkSkipsTheNewRecord) {
    // A record added mid-walk sits right after the one being visited and
    // becomes current, so this walk does not visit it.
    EntityList<Record> list;
    for (int i = 1; i <= 3; ++i) list.add()->id = i;
    std::vector<int> visited;
    list.reset();
    while (Record* r = list.next()) {
        visited.push_back(r->id);
        if (r->id == 1) list.add()->id = 10;
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ids(list), (std::vector<int>{1, 10, 2, 3}));
}

TEST(EntityList, RecordsStartZeroFilledEvenWhenReused) {
    EntityList<Record> list;
    Record* r = list.add();
    r->id = 7;
    r->value = 3.5;
    list.remove();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.current(), nullptr);
    Record* again = list.add();
    EXPECT_EQ(again->id, 0);
    EXPECT_EQ(again->value, 0);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.reset();
    EXPECT_EQ(list.next(), nullptr);
    list.remove();  // nothing current: nothing happens
    EXPECT_EQ(list.count(), 0);
}

// A snapshot keeps order and cursor, and a list copied into again and again
// reuses its nodes instead of allocating new ones.
TEST(EntityList, ACopyKeepsOrderAndCursorAndReusesItsNodes) {
    EntityList<Record> list, copy;
    for (int i = 1; i <= 6; ++i) list.append()->id = i;
    list.select(3);
    list.remove();  // 4 goes; 3 is current
    copy = list;
    EXPECT_EQ(ids(copy), (std::vector<int>{1, 2, 3, 5, 6}));
    ASSERT_NE(copy.current(), nullptr);
    EXPECT_EQ(copy.current()->id, 3);
    EXPECT_EQ(copy.next()->id, 5);
    list.reset();
    copy = list;
    EXPECT_EQ(copy.next()->id, 1) << "no current record: the walk starts at the front";

    std::set<const Record*> nodes;
    copy.forEach([&](const Record& r) { nodes.insert(&r); });
    EntityList<Record> shorter;
    shorter.append()->id = 7;
    copy = shorter;  // three fewer: they wait as spare nodes
    copy = list;
    copy.forEach([&](const Record& r) { EXPECT_EQ(nodes.count(&r), 1u) << r.id; });
    EXPECT_EQ(copy.count(), 5);
}

}  // namespace
