// libFuzzer target: a damaged native archive. Opening it as the main archive is opened (its
// five tables checked), building the category tree, listing a forum's topics and building a
// topic's page must end in an error or a result, never in a crash or a hang.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "archive/category_tree.h"
#include "archive/connection.h"
#include "archive/query.h"
#include "archive/schema.h"
#include "archive/topic_list.h"
#include "base/errors.h"
#include "fuzz_files.h"
#include "render/topic_page.h"

namespace {

// The first forum caption found under the root, depth first; "" when there is none.
std::string FirstLeafCaption(const zenta::TreeNode& node) {
    for (const zenta::TreeNode& child : node.children) {
        if (child.children.empty()) return child.caption;
        std::string found = FirstLeafCaption(child);
        if (!found.empty()) return found;
    }
    return "";
}

void Browse(const std::string& path) {
    zenta::Connection connection(path);
    zenta::CheckArchiveTables(connection.handle(), path);
    // A mutated file may make a statement slow; a short bound keeps the fuzzer moving.
    connection.LimitStepTime(std::chrono::seconds(1));
    zenta::TreeNode root;
    try {
        zenta::BuildCategoryTree(connection, root);
    } catch (const zenta::Error&) {
        // The nodes built before the failure stay; the listing below goes on with them.
    }
    zenta::Query rs(&connection);
    zenta::ListForumTopics(rs, connection, FirstLeafCaption(root));
    for (int rows = 0; !rs.Eof() && rows < 50; rs.Next(), ++rows)
        zenta::MakeTopicPage(connection, zenta::ReadTopicRow(rs));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = zenta::fuzz::ScratchDir() + "/damaged.mdb";
    for (const char* leftover : {"-journal", "-wal", "-shm"}) unlink((path + leftover).c_str());
    zenta::fuzz::WriteBytes(path, data, size);
    try {
        Browse(path);
    } catch (const zenta::Error&) {
    }
    return 0;
}
