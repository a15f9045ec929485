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

// Which bytes a path takes in the export: a saved file keeps the path's own
// bytes, so that a verifier finds the file; the clipboard takes only UTF-8,
// so a path that is not UTF-8 is escaped there, each byte outside a UTF-8
// sequence as \xHH, which the list reader reads back to the same bytes.
enum class ExportForm { File, Clipboard };

// One "path,digest" line per row, each ended by a line feed, without a byte
// order mark. A path holding a backslash or a line feed is written as GNU
// coreutils' checksum tools write and read such names: the line starts with
// a backslash, and the path has "\\" for each backslash and "\n" for each
// line feed. Every other line is the path as it is.
std::string ExportText(ExportForm form = ExportForm::File);
// The chosen save path with ".txt" appended when its name has no extension.
std::string WithDefaultExtension(const std::string& path);

}  // namespace vandrel
