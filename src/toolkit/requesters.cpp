// The modal file requesters and the clipboard.
#include "toolkit/requesters.h"

#include <gtk/gtk.h>

#include <deque>
#include <memory>
#include <vector>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"
#include "toolkit/requester_provider.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace {

std::deque<std::string> g_chosen;
RequesterProvider g_provider;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::vector<GtkFileFilter*> AddFilters(GtkFileChooser* chooser, const std::string& pattern) {
  std::vector<GtkFileFilter*> filters;
  for (const RequesterFilter& parsed : ParseRequesterPattern(pattern)) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, parsed.name.c_str());
    for (const std::string& glob : parsed.patterns)
      gtk_file_filter_add_pattern(filter, glob.c_str());
    gtk_file_chooser_add_filter(chooser, filter);
    filters.push_back(filter);
  }
  return filters;
}

// Requesters belong to the program's main window.
constexpr int kParentWindow = 0;

// While a requester is open the window behind it takes no input and posts
// no close or size events, as behind the program's own dialogs; afterwards
// it is left as it was.
class ParentDisabled {
 public:
  ParentDisabled() : wasDisabled_(IsWindowDisabled(kParentWindow)) {
    DisableWindow(kParentWindow, true);
  }
  ~ParentDisabled() { DisableWindow(kParentWindow, wasDisabled_); }
  ParentDisabled(const ParentDisabled&) = delete;
  ParentDisabled& operator=(const ParentDisabled&) = delete;

 private:
  bool wasDisabled_;
};

std::string RunRequester(bool save, const std::string& title, const std::string& startPath,
                         const std::string& pattern, int patternIndex, int flags) {
  g_chosen.clear();
  ParentDisabled parentDisabled;
  std::optional<std::vector<std::string>> provided;
  if (g_provider) provided = g_provider(title, startPath, pattern);
  if (provided) {
    g_chosen.assign(provided->begin(), provided->end());
  } else {
    GtkWindow* parent = nullptr;
    if (detail::WindowRecord* main = detail::Windows().find(kParentWindow)) {
      parent = GTK_WINDOW(main->window);
    }
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title.c_str(), parent, save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
        g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL,
        save ? g_dgettext("gtk30", "_Save") : g_dgettext("gtk30", "_Open"), GTK_RESPONSE_ACCEPT,
        nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_select_multiple(chooser, !save && (flags & kRequesterMultiple));
    gtk_file_chooser_set_local_only(chooser, TRUE);
    // Replacing a file is the program's decision, not a question.
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    std::vector<GtkFileFilter*> filters = AddFilters(chooser, pattern);
    if (patternIndex >= 0 && patternIndex < static_cast<int>(filters.size())) {
      gtk_file_chooser_set_filter(chooser, filters[patternIndex]);
    }
    if (!startPath.empty() && startPath.back() == '/') {
      gtk_file_chooser_set_current_folder(chooser, startPath.c_str());
    } else if (!startPath.empty()) {
      std::string folder = startPath.substr(0, startPath.rfind('/') + 1);
      if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
      if (save) {
        gtk_file_chooser_set_current_name(chooser,
                                          startPath.substr(startPath.rfind('/') + 1).c_str());
      } else {
        gtk_file_chooser_set_filename(chooser, startPath.c_str());
      }
    }
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
      GSList* files = gtk_file_chooser_get_filenames(chooser);
      for (GSList* node = files; node; node = node->next) {
        g_chosen.emplace_back(static_cast<char*>(node->data));
      }
      g_slist_free_full(files, g_free);
    }
    gtk_widget_destroy(dialog);
    ProcessPendingToolkitEvents();
  }
  return NextSelectedFileName();
}

}  // namespace

std::vector<RequesterFilter> ParseRequesterPattern(const std::string& pattern) {
  std::vector<RequesterFilter> filters;
  if (pattern.empty()) return filters;
  std::vector<std::string> fields = Split(pattern, '|');
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    RequesterFilter filter{fields[i], {}};
    for (const std::string& glob : Split(fields[i + 1], ';')) {
      if (!glob.empty()) filter.patterns.push_back(glob == "*.*" ? "*" : glob);
    }
    filters.push_back(std::move(filter));
  }
  return filters;
}

std::string OpenFileRequester(const std::string& title, const std::string& startPath,
                              const std::string& pattern, int patternIndex, int flags) {
  return detail::OnMainThread(
      [&] { return RunRequester(false, title, startPath, pattern, patternIndex, flags); });
}

std::string NextSelectedFileName() {
  return detail::OnMainThread([&]() -> std::string {
    if (g_chosen.empty()) return "";
    std::string path = std::move(g_chosen.front());
    g_chosen.pop_front();
    return path;
  });
}

std::string SaveFileRequester(const std::string& title, const std::string& startPath,
                              const std::string& pattern, int patternIndex) {
  return detail::OnMainThread(
      [&] { return RunRequester(true, title, startPath, pattern, patternIndex, 0); });
}

namespace {

// The text this program put on the clipboard, while it is there: GTK asks
// for it when another program pastes, and the program's own reads take it
// without a round through the selection machinery. Main thread only.
using SharedText = std::shared_ptr<const std::string>;
SharedText* g_clipboardText = nullptr;

void ServeClipboardText(GtkClipboard*, GtkSelectionData* selection, guint, gpointer text) {
  const std::string& served = **static_cast<const SharedText*>(text);
  gtk_selection_data_set_text(selection, served.data(), static_cast<gint>(served.size()));
}

void ForgetClipboardText(GtkClipboard*, gpointer text) {
  if (g_clipboardText == text) g_clipboardText = nullptr;
  delete static_cast<SharedText*>(text);
}

}  // namespace

int SetClipboardText(const std::string& text) {
  return detail::OnMainThread([&] {
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (!clipboard) return 0;
    // The text targets gtk_clipboard_set_text offers, served from our copy.
    GtkTargetList* list = gtk_target_list_new(nullptr, 0);
    gtk_target_list_add_text_targets(list, 0);
    gint count = 0;
    GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
    gtk_target_list_unref(list);
    auto* owned = new SharedText(std::make_shared<const std::string>(text));
    if (gtk_clipboard_set_with_data(clipboard, targets, static_cast<guint>(count),
                                    ServeClipboardText, ForgetClipboardText, owned)) {
      g_clipboardText = owned;
    } else {
      delete owned;
    }
    gtk_target_table_free(targets, count);
    // Lets the desktop's clipboard store keep the text after the program ends.
    gtk_clipboard_set_can_store(clipboard, nullptr, 0);
    return 1;
  });
}

std::string GetClipboardText() {
  return detail::OnMainThread([]() -> std::string {
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (!clipboard) return "";
    gchar* text = gtk_clipboard_wait_for_text(clipboard);
    std::string result = text ? text : "";
    g_free(text);
    return result;
  });
}

std::shared_ptr<const std::string> GetClipboardBytes() {
  return detail::OnMainThread(
      []() -> SharedText {
        if (g_clipboardText) return *g_clipboardText;
        GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
        if (!clipboard) return std::make_shared<const std::string>();
        GtkSelectionData* data = gtk_clipboard_wait_for_contents(
            clipboard, gdk_atom_intern_static_string("UTF8_STRING"));
        // An owner that offers no UTF-8 text: GTK converts what it offers.
        if (!data) return std::make_shared<const std::string>(GetClipboardText());
        const guchar* bytes = gtk_selection_data_get_data(data);
        const gint length = gtk_selection_data_get_length(data);
        auto result = std::make_shared<std::string>();
        if (bytes && length > 0) result->assign(reinterpret_cast<const char*>(bytes), length);
        gtk_selection_data_free(data);
        return result;
      },
      std::make_shared<const std::string>());
}

void SetRequesterProvider(RequesterProvider provider) { g_provider = std::move(provider); }

}  // namespace vandrel::tk
