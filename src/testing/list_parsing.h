// A whole checksum-list text read at once, for tests that compare readings:
// the program itself always streams lists through ListReader. Needs no
// display: the list and engine tests link this library alone.
#pragma once

#include <string_view>
#include <vector>

#include "checksum_list/checksum_list.h"

namespace vandrel::checksum_list {

// Every line of `text`, as ListReader gives them.
std::vector<ListLine> ParseList(std::string_view text, const ReadOptions& options = {});

}  // namespace vandrel::checksum_list
