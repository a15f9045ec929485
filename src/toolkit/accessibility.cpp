// Accessible names, caption relations and window roles over ATK. GTK gives
// buttons, options and labels their names from their texts; this fills in
// what it cannot know, such as which caption belongs to which control.
#include "toolkit/accessibility.h"

#include <gtk/gtk.h>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk {
namespace {

using detail::GadgetRecord;
using detail::WindowRecord;

AtkObject* AccessibleOf(GtkWidget* widget) {
  return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

// A frame is captioned by its label widget, a text gadget by its label.
GtkWidget* CaptionWidget(GadgetRecord& caption) {
  if (GTK_IS_FRAME(caption.inner)) return gtk_frame_get_label_widget(GTK_FRAME(caption.inner));
  return caption.inner;
}

void Relate(AtkObject* from, AtkRelationType type, AtkObject* to) {
  AtkRelationSet* relations = atk_object_ref_relation_set(from);
  if (!atk_relation_set_contains_target(relations, type, to)) {
    atk_relation_set_add_relation_by_type(relations, type, to);
  }
  g_object_unref(relations);
}

}  // namespace

void SetGadgetAccessibleName(int gadget, const std::string& name) {
  detail::OnMainThreadVoid([&] {
    GadgetRecord* record = detail::Gadgets().find(gadget);
    if (AtkObject* accessible = record ? AccessibleOf(record->inner) : nullptr) {
      atk_object_set_name(accessible, name.c_str());
    }
  });
}

void SetGadgetAccessibleDescription(int gadget, const std::string& description) {
  detail::OnMainThreadVoid([&] {
    GadgetRecord* record = detail::Gadgets().find(gadget);
    if (AtkObject* accessible = record ? AccessibleOf(record->inner) : nullptr) {
      atk_object_set_description(
          accessible, description.empty() ? record->tooltip.c_str() : description.c_str());
    }
  });
}

bool LabelGadgetBy(int gadget, int caption) {
  return detail::OnMainThread([&] {
    GadgetRecord* labelled = detail::Gadgets().find(gadget);
    GadgetRecord* label = detail::Gadgets().find(caption);
    if (!labelled || !label) return false;
    AtkObject* control = AccessibleOf(labelled->inner);
    AtkObject* text = AccessibleOf(CaptionWidget(*label));
    if (!control || !text) return false;
    Relate(control, ATK_RELATION_LABELLED_BY, text);
    Relate(text, ATK_RELATION_LABEL_FOR, control);
    return true;
  });
}

void SetWindowAccessibleRole(int window, WindowRole role, const std::string& description) {
  detail::OnMainThreadVoid([&] {
    WindowRecord* record = detail::Windows().find(window);
    if (AtkObject* accessible = record ? AccessibleOf(record->window) : nullptr) {
      atk_object_set_role(accessible,
                          role == WindowRole::kAlert ? ATK_ROLE_ALERT : ATK_ROLE_DIALOG);
      atk_object_set_description(accessible, description.c_str());
    }
  });
}

}  // namespace vandrel::tk
