// Gadget creation and the operations common to every kind. Lists have their
// own file (list_gadget.cpp).
#include "toolkit/gadgets.h"

#include <gtk/gtk.h>

#include "toolkit/events.h"
#include "toolkit/gadget_access.h"
#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"
#include "toolkit/window.h"

namespace vandrel::tk {
namespace detail {

Registry<GadgetRecord>& Gadgets() {
  static Registry<GadgetRecord> registry;
  return registry;
}

void PostGadgetEvent(int number, int type) {
  if (SuppressEvents() > 0) return;
  if (GadgetRecord* record = Gadgets().find(number)) {
    QueueToolkitEvent(kEventGadget, record->window, number, type);
  }
}

void DestroyGadgetsOf(int window) {
  for (int number : Gadgets().numbers()) {
    GadgetRecord* record = Gadgets().find(number);
    if (!record || record->window != window) continue;
    Gadgets().remove(number);
  }
}

// Creates a list gadget's widgets; defined in list_gadget.cpp.
void BuildList(GadgetRecord& record, const std::string& firstTitle, int firstWidth, int flags);
void ConnectList(GadgetRecord& record);
void ApplyListState(GadgetRecord& record, int row);
int ListState(GadgetRecord& record);

}  // namespace detail

namespace {

using detail::GadgetKind;
using detail::GadgetRecord;

// The radio button that the next option joins; any other gadget ends the group.
GtkWidget* g_optionGroup = nullptr;

using detail::FromGadget;
using detail::WithGadget;

void Post(int number, int type = 0) { detail::PostGadgetEvent(number, type); }

void OnClicked(GtkButton*, gpointer data) { Post(GPOINTER_TO_INT(data)); }

void OnToggled(GtkToggleButton* button, gpointer data) {
  if (gtk_toggle_button_get_active(button)) Post(GPOINTER_TO_INT(data));
}

void OnEntryChanged(GtkEditable*, gpointer data) {
  Post(GPOINTER_TO_INT(data), kStringEventChange);
}

gboolean OnFocusChange(GtkWidget*, GdkEvent* event, gpointer data) {
  const bool focusIn = event->type == GDK_FOCUS_CHANGE && event->focus_change.in;
  Post(GPOINTER_TO_INT(data), focusIn ? kStringEventFocusIn : kStringEventFocusOut);
  return FALSE;
}

// A long caption is cut with an ellipsis instead of widening its gadget.
void EllipsizeLabelsOf(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) {
    gtk_label_set_ellipsize(GTK_LABEL(widget), PANGO_ELLIPSIZE_END);
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_foreach(
        GTK_CONTAINER(widget), [](GtkWidget* child, gpointer) { EllipsizeLabelsOf(child); },
        nullptr);
  }
}

// Registers and places a new gadget in the current window.
int Install(int number, std::unique_ptr<GadgetRecord> record) {
  detail::WindowRecord* window = detail::Windows().find(detail::CurrentWindow());
  if (!window || !record->outer) {
    if (record->outer) gtk_widget_destroy(record->outer);
    return 0;
  }
  record->window = window->number;
  if (record->kind != GadgetKind::kOption) g_optionGroup = nullptr;
  GadgetRecord* stored = record.get();
  std::unique_ptr<GadgetRecord> replaced;
  int result = detail::Gadgets().add(number, std::move(record), &replaced);
  if (replaced && replaced->outer) gtk_widget_destroy(replaced->outer);
  stored->number = result;
  detail::PlaceInArea(window->area, stored->outer, stored->x, stored->y, stored->width,
                      stored->height);
  gtk_widget_show_all(stored->outer);
  gpointer data = GINT_TO_POINTER(result);
  switch (stored->kind) {
    case GadgetKind::kButton:
      g_signal_connect(stored->inner, "clicked", G_CALLBACK(OnClicked), data);
      break;
    case GadgetKind::kOption:
      g_signal_connect(stored->inner, "toggled", G_CALLBACK(OnToggled), data);
      break;
    case GadgetKind::kString:
      g_signal_connect(stored->inner, "changed", G_CALLBACK(OnEntryChanged), data);
      g_signal_connect(stored->inner, "focus-in-event", G_CALLBACK(OnFocusChange), data);
      g_signal_connect(stored->inner, "focus-out-event", G_CALLBACK(OnFocusChange), data);
      break;
    case GadgetKind::kList:
      detail::ConnectList(*stored);
      break;
    default:
      break;
  }
  return number < 0 ? result : (result == 0 ? 1 : result);
}

std::unique_ptr<GadgetRecord> NewRecord(GadgetKind kind, int x, int y, int width, int height) {
  auto record = std::make_unique<GadgetRecord>();
  record->kind = kind;
  record->x = x;
  record->y = y;
  record->width = width;
  record->height = height;
  return record;
}

float XAlign(int alignment) {
  return alignment == kAlignRight ? 1.0f : alignment == kAlignCenter ? 0.5f : 0.0f;
}

void UpdateProgress(GadgetRecord& record) {
  int span = record.maximum - record.minimum;
  const double value = record.value - record.minimum + record.part / double(kProgressBarPartScale);
  double fraction = span > 0 ? value / span : 0.0;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(record.inner), fraction < 0   ? 0
                                                                : fraction > 1 ? 1
                                                                               : fraction);
}

}  // namespace

int FrameGadget(int number, int x, int y, int width, int height, const std::string& caption) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kFrame, x, y, width, height);
    record->outer = record->inner = gtk_frame_new(caption.c_str());
    EllipsizeLabelsOf(record->outer);
    return Install(number, std::move(record));
  });
}

int TextGadget(int number, int x, int y, int width, int height, const std::string& text,
               int alignment) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kText, x, y, width, height);
    // The event box paints the gadget's back colour behind the label.
    record->outer = gtk_event_box_new();
    record->inner = gtk_label_new(text.c_str());
    GtkLabel* label = GTK_LABEL(record->inner);
    gtk_label_set_line_wrap(label, TRUE);
    gtk_label_set_line_wrap_mode(label, PANGO_WRAP_WORD);
    gtk_label_set_xalign(label, XAlign(alignment));
    gtk_label_set_yalign(label, 0.0f);
    gtk_label_set_justify(label, alignment == kAlignRight    ? GTK_JUSTIFY_RIGHT
                                 : alignment == kAlignCenter ? GTK_JUSTIFY_CENTER
                                                             : GTK_JUSTIFY_LEFT);
    gtk_container_add(GTK_CONTAINER(record->outer), record->inner);
    return Install(number, std::move(record));
  });
}

int StringGadget(int number, int x, int y, int width, int height, const std::string& text) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kString, x, y, width, height);
    record->outer = record->inner = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(record->inner), 1);
    gtk_entry_set_text(GTK_ENTRY(record->inner), text.c_str());
    return Install(number, std::move(record));
  });
}

int ButtonGadget(int number, int x, int y, int width, int height, const std::string& caption) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kButton, x, y, width, height);
    record->outer = record->inner = gtk_button_new_with_label(caption.c_str());
    // Return goes to the window's shortcuts, never to the focused button, so
    // a focused button must not take the default mark from the button that
    // Return really presses.
    gtk_widget_set_receives_default(record->inner, FALSE);
    EllipsizeLabelsOf(record->outer);
    return Install(number, std::move(record));
  });
}

int OptionGadget(int number, int x, int y, int width, int height, const std::string& caption) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kOption, x, y, width, height);
    GtkWidget* button = g_optionGroup ? gtk_radio_button_new_with_label_from_widget(
                                            GTK_RADIO_BUTTON(g_optionGroup), caption.c_str())
                                      : gtk_radio_button_new_with_label(nullptr, caption.c_str());
    record->outer = record->inner = button;
    EllipsizeLabelsOf(button);
    // "CRC32" is wider than its option's 70 pixels in most fonts; the space
    // up to the next option is free.
    detail::LetCaptionOverflow(button);
    int result = Install(number, std::move(record));
    if (result) g_optionGroup = button;
    return result;
  });
}

int ListIconGadget(int number, int x, int y, int width, int height, const std::string& firstTitle,
                   int firstWidth, int flags) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kList, x, y, width, height);
    detail::BuildList(*record, firstTitle, firstWidth, flags);
    return Install(number, std::move(record));
  });
}

int ProgressBarGadget(int number, int x, int y, int width, int height, int minimum, int maximum) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kProgressBar, x, y, width, height);
    record->outer = record->inner = gtk_progress_bar_new();
    record->minimum = minimum;
    record->maximum = maximum;
    record->value = minimum;
    UpdateProgress(*record);
    return Install(number, std::move(record));
  });
}

int ImageGadget(int number, int x, int y, int width, int height, ImageRef image) {
  return detail::OnMainThread([&] {
    auto record = NewRecord(GadgetKind::kImage, x, y, width, height);
    record->outer = record->inner =
        image ? gtk_image_new_from_pixbuf(static_cast<GdkPixbuf*>(image)) : gtk_image_new();
    return Install(number, std::move(record));
  });
}

bool IsGadget(int number) {
  return detail::OnMainThread([&] { return detail::Gadgets().find(number) != nullptr; });
}

void SetGadgetFont(int number, void* font) {
  WithGadget(number, [&](GadgetRecord& record) {
    auto* fontRecord = static_cast<detail::FontRecord*>(font);
    for (GtkWidget* widget : {record.outer, record.inner}) {
      GtkStyleContext* context = gtk_widget_get_style_context(widget);
      GList* classes = gtk_style_context_list_classes(context);
      for (GList* node = classes; node; node = node->next) {
        const char* name = static_cast<const char*>(node->data);
        if (g_str_has_prefix(name, "vandrel-font-")) gtk_style_context_remove_class(context, name);
      }
      g_list_free(classes);
      if (fontRecord) gtk_style_context_add_class(context, fontRecord->cssClass.c_str());
    }
  });
}

void SetGadgetColor(int number, int target, std::int32_t colour) {
  WithGadget(number, [&](GadgetRecord& record) {
    std::string value = colour == kThemeColour ? "" : detail::CssColour(colour);
    if (target == kFrontColour) record.frontColour = value;
    if (target == kBackColour) record.backColour = value;
    if (record.kind == GadgetKind::kText) {
      gtk_event_box_set_visible_window(GTK_EVENT_BOX(record.outer), !record.backColour.empty());
    }
    detail::ApplyColourStyle(record.outer, &record.colour, record.frontColour, record.backColour);
    if (record.inner != record.outer && !record.frontColour.empty()) {
      // Labels take their text colour from their own style, not the box's.
      GtkCssProvider* front = nullptr;
      detail::ApplyColourStyle(record.inner, &front, record.frontColour, "");
      if (front) g_object_unref(front);
    }
  });
}

std::string DisplayText(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string result = valid;
  g_free(valid);
  return result;
}

// GTK takes only UTF-8: a folder name that is not (the source field) is shown
// in its display form.
void SetGadgetText(int number, const std::string& given) {
  const std::string text = DisplayText(given);
  WithGadget(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    switch (record.kind) {
      case GadgetKind::kFrame:
        gtk_frame_set_label(GTK_FRAME(record.inner), text.c_str());
        EllipsizeLabelsOf(record.inner);
        break;
      case GadgetKind::kText:
        gtk_label_set_text(GTK_LABEL(record.inner), text.c_str());
        break;
      case GadgetKind::kString:
        gtk_entry_set_text(GTK_ENTRY(record.inner), text.c_str());
        break;
      case GadgetKind::kButton:
      case GadgetKind::kOption:
        gtk_button_set_label(GTK_BUTTON(record.inner), text.c_str());
        EllipsizeLabelsOf(record.inner);
        break;
      default:
        break;
    }
  });
}

std::string GetGadgetText(int number) {
  return FromGadget(number, std::string(), [](GadgetRecord& record) -> std::string {
    const char* text = nullptr;
    switch (record.kind) {
      case GadgetKind::kFrame:
        text = gtk_frame_get_label(GTK_FRAME(record.inner));
        break;
      case GadgetKind::kText:
        text = gtk_label_get_text(GTK_LABEL(record.inner));
        break;
      case GadgetKind::kString:
        text = gtk_entry_get_text(GTK_ENTRY(record.inner));
        break;
      case GadgetKind::kButton:
      case GadgetKind::kOption:
        text = gtk_button_get_label(GTK_BUTTON(record.inner));
        break;
      default:
        break;
    }
    return text ? text : "";
  });
}

void DisableGadget(int number, bool disabled) {
  WithGadget(number, [&](GadgetRecord& record) {
    record.disabled = disabled;
    gtk_widget_set_sensitive(record.outer, !disabled);
    if (!disabled) detail::ApplyPendingCursor(record);
  });
}

void SetDefaultButton(int number) {
  WithGadget(number, [](GadgetRecord& record) {
    if (record.kind != GadgetKind::kButton) return;
    gtk_widget_set_can_default(record.inner, TRUE);
    gtk_widget_grab_default(record.inner);
    gtk_widget_grab_focus(record.inner);
  });
}

void SetActiveGadget(int number) {
  WithGadget(number, [](GadgetRecord& record) { gtk_widget_grab_focus(record.inner); });
}

void SetStringGadgetMark(int number, ImageRef image, const std::string& tip) {
  WithGadget(number, [&](GadgetRecord& record) {
    if (record.kind != GadgetKind::kString) return;
    record.mark = image;
    GtkEntry* entry = GTK_ENTRY(record.inner);
    gtk_entry_set_icon_from_pixbuf(entry, GTK_ENTRY_ICON_SECONDARY,
                                   image ? GDK_PIXBUF(image) : nullptr);
    gtk_entry_set_icon_tooltip_text(entry, GTK_ENTRY_ICON_SECONDARY,
                                    image && !tip.empty() ? tip.c_str() : nullptr);
  });
}

int GetGadgetState(int number) {
  return FromGadget(number, 0, [](GadgetRecord& record) {
    switch (record.kind) {
      case GadgetKind::kOption:
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record.inner)) ? 1 : 0;
      case GadgetKind::kProgressBar:
        return record.value;
      case GadgetKind::kList:
        return detail::ListState(record);
      default:
        return 0;
    }
  });
}

void SetGadgetState(int number, int state) {
  WithGadget(number, [&](GadgetRecord& record) {
    detail::SuppressGuard quiet;
    switch (record.kind) {
      case GadgetKind::kOption:
        // A radio button cannot be cleared by itself; only selecting counts.
        if (state) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record.inner), TRUE);
        break;
      case GadgetKind::kProgressBar:
        record.value = state;
        record.part = 0;
        UpdateProgress(record);
        break;
      case GadgetKind::kList:
        detail::ApplyListState(record, state);
        break;
      default:
        break;
    }
  });
}

void SetGadgetAttribute(int number, int attribute, int value) {
  WithGadget(number, [&](GadgetRecord& record) {
    if (record.kind != GadgetKind::kProgressBar) return;
    if (attribute == kProgressBarMinimum) record.minimum = value;
    if (attribute == kProgressBarMaximum) record.maximum = value;
    if (attribute == kProgressBarPart) {
      record.part = value < 0 ? 0 : value > kProgressBarPartScale ? kProgressBarPartScale : value;
    }
    UpdateProgress(record);
  });
}

void ResizeGadget(int number, int x, int y, int width, int height) {
  WithGadget(number, [&](GadgetRecord& record) {
    if (x != kUnchanged) record.x = x;
    if (y != kUnchanged) record.y = y;
    if (width != kUnchanged) record.width = width;
    if (height != kUnchanged) record.height = height;
    detail::WindowRecord* window = detail::Windows().find(record.window);
    if (window) {
      detail::PlaceInArea(window->area, record.outer, record.x, record.y, record.width,
                          record.height);
    }
  });
}

void GadgetToolTip(int number, const std::string& text) {
  WithGadget(number, [&](GadgetRecord& record) {
    record.tooltip = text;
    gtk_widget_set_tooltip_text(record.outer, text.empty() ? nullptr : text.c_str());
  });
}

int GadgetWidth(int number) {
  return FromGadget(number, 0, [](GadgetRecord& record) { return record.width; });
}

}  // namespace vandrel::tk
