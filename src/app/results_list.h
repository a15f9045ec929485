// The commands on the results list: copy to the clipboard, save to a text
// file, delete the selected rows, delete all rows, and the enable rule for
// events of the list. Main thread only.
#pragma once

#include <string>

namespace vandrel {

void CopyToClipboard();
void SaveResults();
void DeleteSelected();
void DeleteAll();
void OnListEvent();

// One "path,digest" line per row, each ended by a line feed, UTF-8 without
// a mark; the same bytes for the clipboard and a saved file.
std::string ExportText();
// The chosen save path with ".txt" appended when its name has no extension.
std::string WithDefaultExtension(const std::string& path);

}  // namespace vandrel
