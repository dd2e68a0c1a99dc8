#include "search/user_nodes.h"

namespace {

struct UserNode {
    uint64_t key;
    int32_t used;
    int32_t include;
};

UserNode nodes[USER_NODE_CAPACITY];
int node_count = 0;

// Open addressing with linear probing from the key's high bits.
int slot_of(uint64_t key) {
    int slot = int(key >> 52) % USER_NODE_CAPACITY;
    while (nodes[slot].used && nodes[slot].key != key) slot = (slot + 1) % USER_NODE_CAPACITY;
    return slot;
}

}  // namespace

bool user_node_set(uint64_t key, int include) {
    int slot = slot_of(key);
    if (!nodes[slot].used) {
        // Keep one slot free so that a lookup always ends.
        if (node_count == USER_NODE_CAPACITY - 1) return false;
        ++node_count;
        nodes[slot].used = 1;
        nodes[slot].key = key;
    }
    nodes[slot].include = include;
    return true;
}

bool user_node_included(uint64_t key) {
    if (node_count == 0) return false;
    const UserNode& n = nodes[slot_of(key)];
    return n.used && n.include > 0;
}

void user_nodes_clear() {
    for (UserNode& n : nodes) n = UserNode{};
    node_count = 0;
}
