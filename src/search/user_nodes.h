// User nodes: positions the user asked the search to look at harder (or not), by position key.
// A fixed-size table, so the search never allocates to read it.
#pragma once

#include <cstdint>

constexpr int USER_NODE_CAPACITY = 4096;

// Marks `key` as included (1) or excluded (0); false when the table is full.
bool user_node_set(uint64_t key, int include);
// Whether `key` is marked as included.
bool user_node_included(uint64_t key);
void user_nodes_clear();
