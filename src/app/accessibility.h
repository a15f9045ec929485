// Names and caption links of the main window's controls for screen readers.
#pragma once

namespace vandrel {

// Names the controls that show no text of their own and links the options
// to their captions. Called after the window is built and after each change
// of language, since the names come from the language file.
void DescribeMainWindow();

}  // namespace vandrel
