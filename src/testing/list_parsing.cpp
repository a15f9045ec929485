// A whole list text fed to one ListReader.
#include "testing/list_parsing.h"

namespace vandrel::checksum_list {

std::vector<ListLine> ParseList(std::string_view text, const ReadOptions& options) {
  std::vector<ListLine> lines;
  ListReader reader(options, [&lines](const ListLine& line) { lines.push_back(line); });
  reader.feed(text);
  reader.finish();
  return lines;
}

}  // namespace vandrel::checksum_list
