#include "dialog/gtk/DialogWindow.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "dialog/gtk/FolderModel.h"
#include "dialog/gtk/Style.h"
#include "dialog/gtk/ViewModel.h"
#include "platform/posix/NameMap.h"

namespace tarnivo {
namespace {

#include "TarnivoIcons.inc"

using view::Connect;
using view::GObjectRef;

// The folder list's indentation per level, at 96 dpi.
constexpr int kFolderIndent = 8;

GObjectRef<GdkPixbuf> LoadPng(const unsigned char* data, std::size_t size) {
  GObjectRef<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type("png", nullptr));
  if (!loader || !gdk_pixbuf_loader_write(loader.get(), data, size, nullptr) ||
      !gdk_pixbuf_loader_close(loader.get(), nullptr)) {
    return {};
  }
  return GObjectRef<GdkPixbuf>::Share(gdk_pixbuf_loader_get_pixbuf(loader.get()));
}

// The program's icon, drawn at 16 and 32 pixels, for every window.
void SetDefaultIcons() {
  GObjectRef<GdkPixbuf> small = LoadPng(kIcon16, sizeof kIcon16);
  GObjectRef<GdkPixbuf> large = LoadPng(kIcon32, sizeof kIcon32);
  GList* icons = nullptr;
  for (GdkPixbuf* icon : {small.get(), large.get()}) {
    if (icon != nullptr) icons = g_list_append(icons, icon);
  }
  gtk_window_set_default_icon_list(icons);
  g_list_free(icons);
}

// The natural size of a widget: what it needs to show all of its text.
GtkRequisition Natural(GtkWidget* widget) {
  GtkRequisition natural;
  gtk_widget_get_preferred_size(widget, nullptr, &natural);
  return natural;
}

GtkRequisition Minimum(GtkWidget* widget) {
  GtkRequisition minimum;
  gtk_widget_get_preferred_size(widget, &minimum, nullptr);
  return minimum;
}

// A button inside `widget` (the drive list's own) never takes the default
// from OK when it has the focus.
void NeverDefault(GtkWidget* widget, gpointer) {
  if (GTK_IS_BUTTON(widget)) gtk_widget_set_receives_default(widget, FALSE);
  if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), NeverDefault, nullptr);
}

bool IsEnter(guint key) {
  return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter;
}

// A typed letter or digit, as text; empty for any other key.
std::string TypedLetter(const GdkEventKey* key) {
  const gunichar typed = gdk_keyval_to_unicode(key->keyval);
  if (typed == 0 || !g_unichar_isalnum(typed)) return {};
  char utf8[8] = {};
  g_unichar_to_utf8(typed, utf8);
  return utf8;
}

void ShowFolderIcon(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model,
                    GtkTreeIter* iter, gpointer data) {
  const auto* icons = static_cast<const view::SurfacePtr*>(data);
  const DirLine* line = view::FolderLine(model, iter);
  const bool open = line != nullptr && line->open && icons[1];
  g_object_set(cell, "surface", icons[open ? 1 : 0].get(), nullptr);
}

void ShowFolderText(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model,
                    GtkTreeIter* iter, gpointer) {
  const DirLine* line = view::FolderLine(model, iter);
  g_object_set(cell, "text", line != nullptr ? line->text.c_str() : "", nullptr);
}

}  // namespace

DialogWindow::DialogWindow(DialogState& state, frmMain& form, GtkDesktop& desktop)
    : state_(state), form_(form), desktop_(desktop) {
  Build();
}

DialogWindow::~DialogWindow() {
  if (deferred_source_ != 0) g_source_remove(deferred_source_);
  if (mounts_) g_signal_handlers_disconnect_by_data(mounts_.get(), this);
  form_.SetView(nullptr);
  desktop_.AttachDialog({});
}

void DialogWindow::Build() {
  showing_ = true;
  // The form decides what entering a text box selects.
  g_object_set(gtk_settings_get_default(), "gtk-entry-select-on-focus", FALSE, nullptr);
  SetDefaultIcons();
  window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  GtkWindow* window = GTK_WINDOW(window_.get());
  gtk_window_set_title(window, std::string(kDialogCaption).c_str());
  gtk_window_set_resizable(window, FALSE);
  gtk_style_context_add_class(gtk_widget_get_style_context(window_.get()), view::kDialogClass);
  fixed_ = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window), fixed_);

  for (const ControlRow& row : kControls) {
    GtkWidget* widget = NewControl(row);
    widgets_[static_cast<std::size_t>(row.id)] = widget;
    if (widget != nullptr) gtk_fixed_put(GTK_FIXED(fixed_), Outer(row.id), 0, 0);
  }
  for (const ControlRow& row : kControls) {
    if (row.kind == ControlKind::Label && AccessKey(row.caption) != 0) {
      gtk_label_set_mnemonic_widget(GTK_LABEL(Widget(row.id)), Widget(AccessTarget(row.id)));
    }
  }
  // The network box is named after its option, as a screen reader says it.
  AtkObject* network = gtk_widget_get_accessible(Widget(ControlId::txtNetwork));
  AtkObject* network_option = gtk_widget_get_accessible(Widget(ControlId::optNetwork));
  atk_object_set_name(network, "Network");
  atk_object_add_relationship(network, ATK_RELATION_LABELLED_BY, network_option);

  progress_ = gtk_progress_bar_new();
  gtk_fixed_put(GTK_FIXED(fixed_), progress_, 0, 0);
  gtk_widget_set_no_show_all(progress_, TRUE);
  gtk_widget_show_all(fixed_);  // a hidden widget measures nothing
  Layout();

  GtkWidget* ok = Widget(ControlId::cmdOK);
  gtk_widget_set_can_default(ok, TRUE);
  gtk_widget_grab_default(ok);

  Connect(
      window_.get(), "delete-event",
      +[](GtkWidget*, GdkEvent*, gpointer self) {
        auto* dialog = static_cast<DialogWindow*>(self);
        // Closing the window while a copy runs stops the copy and keeps the
        // dialog.
        if (dialog->form_.Running()) {
          dialog->desktop_.AskToStop();
        } else {
          dialog->form_.Close();
        }
        return TRUE;
      },
      this);
  Connect(
      window_.get(), "key-press-event",
      +[](GtkWidget*, GdkEventKey* key, gpointer self) -> gboolean {
        return static_cast<DialogWindow*>(self)->OnKey(key);
      },
      this);
  Connect(
      window_.get(), "set-focus",
      +[](GtkWindow*, GtkWidget* focus, gpointer self) {
        static_cast<DialogWindow*>(self)->OnFocus(focus);
      },
      this, true);

  // A stick that comes or goes brings the drive list up to date.
  mounts_.Reset(g_unix_mount_monitor_get());
  Connect(
      mounts_.get(), "mounts-changed",
      +[](GUnixMountMonitor*, gpointer self) {
        static_cast<DialogWindow*>(self)->form_.DrivesChanged();
      },
      this);

  desktop_.AttachDialog(
      {window, dpi_, Widget(ControlId::lblFileName), progress_, Widget(ControlId::cmdCancel)});
  showing_ = false;
}

GtkWidget* DialogWindow::NewControl(const ControlRow& row) {
  const std::string caption = view::MnemonicCaption(row.caption);
  GtkWidget* widget = nullptr;
  switch (row.kind) {
    case ControlKind::OptionButton: {
      GtkWidget* leader = nullptr;
      for (const ControlRow& other : kControls) {
        if (other.group == row.group && other.id != row.id && Widget(other.id) != nullptr) {
          leader = Widget(other.id);
          break;
        }
      }
      widget = gtk_radio_button_new_with_mnemonic_from_widget(
          leader != nullptr ? GTK_RADIO_BUTTON(leader) : nullptr, caption.c_str());
      Connect(widget, "toggled", +OnChanged, this);
      break;
    }
    case ControlKind::Label:
      if (AccessKey(row.caption) != 0) {
        widget = gtk_label_new_with_mnemonic(caption.c_str());
      } else {
        widget = gtk_label_new(std::string(row.caption).c_str());
      }
      gtk_label_set_xalign(GTK_LABEL(widget), 0);
      // A text still wider than its label (a long name alone) ends in "...".
      if (row.id == ControlId::lblFileName) {
        gtk_label_set_ellipsize(GTK_LABEL(widget), PANGO_ELLIPSIZE_END);
      }
      break;
    case ControlKind::Frame:
      return nullptr;  // it only groups; the option groups are the buttons' own
    case ControlKind::DriveList: {
      widget = gtk_combo_box_text_new();
      GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget));
      for (GList* cell = cells; cell != nullptr; cell = cell->next) {
        g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, "ypad", 0, nullptr);
      }
      g_list_free(cells);
      NeverDefault(widget, nullptr);
      Connect(widget, "changed", +OnChanged, this);
      break;
    }
    case ControlKind::DirList:
      widget = NewFolderList();
      break;
    case ControlKind::TextBox:
      widget = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(widget), 1);
      Connect(widget, "changed", +OnChanged, this);
      // A click that enters the box leaves the selection that entering
      // made (the whole text), so that typing replaces it.
      Connect(
          widget, "button-press-event",
          +[](GtkWidget* entry, GdkEventButton* event, gpointer) -> gboolean {
            if (event->button != GDK_BUTTON_PRIMARY || event->type != GDK_BUTTON_PRESS ||
                gtk_widget_has_focus(entry)) {
              return FALSE;
            }
            gtk_widget_grab_focus(entry);
            return TRUE;
          },
          this);
      break;
    case ControlKind::PushButton:
      widget = gtk_button_new_with_mnemonic(caption.c_str());
      Connect(widget, "clicked", +OnChanged, this);
      break;
  }
  return widget;
}

GtkWidget* DialogWindow::NewFolderList() {
  GtkWidget* tree = gtk_tree_view_new();
  GtkTreeView* view = GTK_TREE_VIEW(tree);
  gtk_tree_view_set_headers_visible(view, FALSE);
  gtk_tree_view_set_enable_search(view, FALSE);  // a letter jumps, as in the drive list
  gtk_tree_view_set_show_expanders(view, FALSE);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view), GTK_SELECTION_BROWSE);
  GtkTreeViewColumn* column = gtk_tree_view_column_new();
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_expand(column, TRUE);
  folder_icon_renderer_ = gtk_cell_renderer_pixbuf_new();
  folder_text_renderer_ = gtk_cell_renderer_text_new();
  gtk_tree_view_column_pack_start(column, folder_icon_renderer_, FALSE);
  gtk_tree_view_column_pack_start(column, folder_text_renderer_, TRUE);
  gtk_tree_view_column_set_cell_data_func(column, folder_text_renderer_, ShowFolderText, nullptr,
                                          nullptr);
  gtk_tree_view_append_column(view, column);
  // Every row as high as the first: a folder of any size opens at once.
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  atk_object_set_name(gtk_widget_get_accessible(tree), "Folders");

  // A double-click opens a line (Enter is the window's); the list never folds.
  Connect(
      tree, "row-activated",
      +[](GtkTreeView* list, GtkTreePath* path, GtkTreeViewColumn*, gpointer self) {
        auto* dialog = static_cast<DialogWindow*>(self);
        GdkEvent* event = gtk_get_current_event();
        // The tree view activates a row on the second press of a double-click
        // (other input that activates one is not an opening), and on a line's
        // "activate" action, which a screen reader performs without an event.
        const bool opens =
            event == nullptr || event->type == GDK_BUTTON_PRESS || event->type == GDK_2BUTTON_PRESS;
        if (event != nullptr) gdk_event_free(event);
        GtkTreeIter iter;
        if (!opens || !gtk_tree_model_get_iter(dialog->folders_.get(), &iter, path)) return;
        // The folder has gone or cannot be read: a beep, and the list shows
        // the open folder as it is now.
        if (!dialog->form_.DirLineOpened(view::FolderLineAt(dialog->folders_.get(), &iter))) {
          gtk_widget_error_bell(GTK_WIDGET(list));
        }
      },
      this);
  Connect(
      tree, "test-collapse-row",
      +[](GtkTreeView*, GtkTreeIter*, GtkTreePath*, gpointer) -> gboolean { return TRUE; },
      nullptr);

  folder_frame_ = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(folder_frame_), GTK_SHADOW_IN);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(folder_frame_), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(folder_frame_), tree);
  return tree;
}

// The layout: the scale at which every caption fits its control (measured
// in the desktop's font and theme), every control at its rectangle there.
void DialogWindow::Layout() {
  // The drive list and the folder list measured with a line in them.
  GtkComboBoxText* drives = GTK_COMBO_BOX_TEXT(Widget(ControlId::lstDrive));
  gtk_combo_box_text_append_text(drives, "c: [/]");
  gtk_combo_box_set_active(GTK_COMBO_BOX(drives), 0);
  const int line_height = view::TextSize(Widget(ControlId::lstDir), "Ag").height;

  std::vector<view::PixelNeed> needs;
  for (const ControlRow& row : kControls) {
    GtkWidget* widget = Outer(row.id);
    switch (row.kind) {
      case ControlKind::OptionButton:
      case ControlKind::PushButton:
      case ControlKind::Label: {
        const GtkRequisition natural = Natural(widget);
        if (row.id != ControlId::lblFileName) {
          needs.push_back(view::WidthNeed(row, natural.width));
        }
        needs.push_back(view::HeightNeed(row, natural.height));
        break;
      }
      case ControlKind::DriveList:
      case ControlKind::TextBox:
        needs.push_back(view::HeightNeed(row, Minimum(widget).height));
        break;
      case ControlKind::DirList:
        needs.push_back({0, view::kDirLineTwips, std::max(line_height, view::Px(16))});
        break;
      case ControlKind::Frame:
        break;
    }
  }
  gtk_combo_box_text_remove_all(drives);
  dpi_ = view::FitDpi(view::DesktopDpi(), needs);

  for (const ControlRow& row : kControls) {
    if (Widget(row.id) == nullptr) continue;
    const view::Rect r = view::ControlRect(row, dpi_);
    gtk_widget_set_size_request(Outer(row.id), r.w, r.h);
    gtk_fixed_move(GTK_FIXED(fixed_), Outer(row.id), r.x, r.y);
  }
  const view::Rect client = view::ClientRect(dpi_);
  gtk_widget_set_size_request(fixed_, client.w, client.h);

  // The copy's progress bar, in the gap between the name box and the buttons.
  const view::Rect name = view::ControlRect(Control(ControlId::txtFileName), dpi_);
  const view::Rect list = view::ControlRect(Control(ControlId::lstDir), dpi_);
  const view::Rect ok = view::ControlRect(Control(ControlId::cmdOK), dpi_);
  const int top = name.y + name.h + 1;
  gtk_widget_set_size_request(progress_, list.w, std::max(2, ok.y - 1 - top));
  gtk_fixed_move(GTK_FIXED(fixed_), progress_, list.x, top);

  const int row_height = Pixels(view::kDirLineTwips, dpi_);
  for (GtkCellRenderer* cell : {folder_icon_renderer_, folder_text_renderer_}) {
    gtk_cell_renderer_set_fixed_size(cell, -1, row_height);
    gtk_cell_renderer_set_padding(cell, view::ScalePixels(2, dpi_), 0);
  }
  gtk_tree_view_set_level_indentation(GTK_TREE_VIEW(Widget(ControlId::lstDir)),
                                      view::ScalePixels(kFolderIndent, dpi_));
  LoadFolderIcons();
}

void DialogWindow::LoadFolderIcons() {
  const int size = std::min(view::ScalePixels(16, dpi_), Pixels(view::kDirLineTwips, dpi_));
  // Drawn at the window's scale, so that they stay sharp on a 2x desktop.
  const int scale = gtk_widget_get_scale_factor(window_.get());
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  for (bool open : {false, true}) {
    folder_icons_[open ? 1 : 0].reset(
        gtk_icon_theme_load_surface(theme, open ? "folder-open" : "folder", size, scale, nullptr,
                                    GTK_ICON_LOOKUP_FORCE_SIZE, nullptr));
  }
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(Widget(ControlId::lstDir)), 0);
  gtk_tree_view_column_set_cell_data_func(column, folder_icon_renderer_, ShowFolderIcon,
                                          folder_icons_.data(), nullptr);
}

void DialogWindow::Show() {
  form_.SetView([this](DialogField field) { Refresh(field); });
  GtkWindow* window = GTK_WINDOW(window_.get());
  gtk_widget_grab_focus(Widget(FirstFocus()));
  if (view::PlacesWindows()) gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_widget_show(window_.get());
  state_.SetWindow(reinterpret_cast<WindowHandle>(window));
}

void DialogWindow::Run() {
  while (gtk_widget_get_visible(window_.get())) gtk_main_iteration();
}

// --- From the state to the widgets

void DialogWindow::Refresh(DialogField field) {
  showing_ = true;
  switch (field) {
    case DialogField::FileNameLabel:
      gtk_label_set_text(GTK_LABEL(Widget(ControlId::lblFileName)),
                         posix::LinuxName(state_.FileNameLabel()).c_str());
      break;
    case DialogField::FileName:
      ShowText(ControlId::txtFileName);
      break;
    case DialogField::NetworkText:
      ShowText(ControlId::txtNetwork);
      break;
    case DialogField::FileNameSelection:
      ShowSelection(ControlId::txtFileName);
      break;
    case DialogField::NetworkSelection:
      ShowSelection(ControlId::txtNetwork);
      break;
    case DialogField::CopyMove:
      if (state_.CopySelected() || state_.MoveSelected()) {
        gtk_toggle_button_set_active(
            GTK_TOGGLE_BUTTON(
                Widget(state_.CopySelected() ? ControlId::optCopy : ControlId::optMove)),
            TRUE);
      }
      break;
    case DialogField::DriveNetwork:
      gtk_toggle_button_set_active(
          GTK_TOGGLE_BUTTON(
              Widget(state_.NetworkSelected() ? ControlId::optNetwork : ControlId::optDrive)),
          TRUE);
      break;
    case DialogField::DriveList:
      ShowDrives();
      break;
    case DialogField::DirPath:
      ShowFolders();
      break;
  }
  showing_ = false;
}

void DialogWindow::ShowText(ControlId box) {
  GtkEntry* entry = GTK_ENTRY(Widget(box));
  const std::string text = posix::LinuxName(state_.TextBox(box).text);
  if (text != gtk_entry_get_text(entry)) gtk_entry_set_text(entry, text.c_str());
}

void DialogWindow::ShowSelection(ControlId box) {
  // The drive form and the name shown have the same characters, one for one.
  const TextBoxValue& value = state_.TextBox(box);
  gtk_editable_select_region(GTK_EDITABLE(Widget(box)), value.sel_start,
                             value.sel_start + value.sel_length);
}

void DialogWindow::ShowDrives() {
  GtkComboBox* box = GTK_COMBO_BOX(Widget(ControlId::lstDrive));
  std::vector<std::string> shown;
  for (const std::string& entry : state_.DriveEntries()) shown.push_back(posix::LinuxName(entry));
  if (shown != drives_shown_) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(box));
    for (const std::string& entry : shown) {
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(box), entry.c_str());
    }
    drives_shown_ = std::move(shown);
  }
  if (gtk_combo_box_get_active(box) != state_.DriveIndex()) {
    gtk_combo_box_set_active(box, state_.DriveIndex());
  }
}

void DialogWindow::ShowFolders() {
  // The lines as shown, without the paths that only the form reads: one
  // string made per line of a folder of any size.
  const std::vector<DirLine>& state_lines = state_.DirLines();
  std::vector<DirLine> lines;
  lines.reserve(state_lines.size());
  for (const DirLine& line : state_lines) {
    lines.push_back({posix::LinuxName(line.text), {}, line.depth, line.open});
  }
  const int current = CurrentDirLine(lines);
  GtkTreeView* tree = GTK_TREE_VIEW(Widget(ControlId::lstDir));
  folders_.Reset(view::NewFolderModel(std::move(lines)));
  gtk_tree_view_set_model(tree, folders_.get());
  // The way to the open folder, and the open folder's subfolders.
  if (GtkTreePath* open = view::FolderPathOf(folders_.get(), current)) {
    gtk_tree_view_expand_to_path(tree, open);
    gtk_tree_path_free(open);
  }
  SetCursorLine(current);
  // From the top when the open folder is on the first page, else with the
  // open folder at the bottom.
  const int rows = (view::ControlRect(Control(ControlId::lstDir), dpi_).h - 2) /
                   Pixels(view::kDirLineTwips, dpi_);
  const bool first_page = current < rows;
  if (GtkTreePath* shown = view::FolderPathOf(folders_.get(), first_page ? 0 : current)) {
    gtk_tree_view_scroll_to_cell(tree, shown, nullptr, TRUE, first_page ? 0.0F : 1.0F, 0);
    gtk_tree_path_free(shown);
  }
}

int DialogWindow::CursorLine() const {
  GtkTreePath* path = nullptr;
  gtk_tree_view_get_cursor(GTK_TREE_VIEW(Widget(ControlId::lstDir)), &path, nullptr);
  GtkTreeIter iter;
  const bool found =
      path != nullptr && folders_ && gtk_tree_model_get_iter(folders_.get(), &iter, path);
  if (path != nullptr) gtk_tree_path_free(path);
  return found ? view::FolderLineAt(folders_.get(), &iter) : -1;
}

void DialogWindow::SetCursorLine(int line) {
  if (!folders_) return;
  GtkTreePath* path = view::FolderPathOf(folders_.get(), line);
  if (path == nullptr) return;
  GtkTreeView* tree = GTK_TREE_VIEW(Widget(ControlId::lstDir));
  gtk_tree_view_set_cursor(tree, path, nullptr, FALSE);
  gtk_tree_path_free(path);
}

// --- From the widgets to the form

void DialogWindow::Pressed(ControlId button) {
  form_.Press(button);
  desktop_.HandlerEnded();
}

void DialogWindow::OnChanged(GtkWidget* widget, gpointer self) {
  auto* dialog = static_cast<DialogWindow*>(self);
  ControlId id;
  if (dialog->showing_ || !dialog->IdOf(widget, id)) return;
  // A button pressed or a drive picked through the accessibility layer
  // (without an input event) may open a message box. Its handler runs once
  // the layer has answered: inside the layer's call, the box's loop would
  // hold that client's connection, and the client could not read the box.
  const ControlKind kind = Control(id).kind;
  GdkEvent* event = gtk_get_current_event();
  const bool from_input = event != nullptr;
  if (event != nullptr) gdk_event_free(event);
  if (!from_input && (kind == ControlKind::PushButton || kind == ControlKind::DriveList)) {
    dialog->Defer(id);
  } else {
    dialog->Changed(id);
  }
}

void DialogWindow::Defer(ControlId id) {
  deferred_.push_back(id);
  if (deferred_source_ != 0) return;
  deferred_source_ = g_idle_add(
      +[](gpointer self) -> gboolean {
        auto* dialog = static_cast<DialogWindow*>(self);
        dialog->deferred_source_ = 0;
        const std::vector<ControlId> ids = std::exchange(dialog->deferred_, {});
        for (ControlId id : ids) dialog->Changed(id);
        return G_SOURCE_REMOVE;
      },
      this);
}

// An option button selected, a text edited, a drive chosen, a button pressed.
void DialogWindow::Changed(ControlId id) {
  GtkWidget* widget = Widget(id);
  switch (Control(id).kind) {
    case ControlKind::OptionButton:
      if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) form_.Choose(id);
      break;
    case ControlKind::TextBox: {
      const char* typed = gtk_entry_get_text(GTK_ENTRY(widget));
      form_.Edited(id,
                   id == ControlId::txtNetwork ? posix::TypedPath(typed) : posix::TypedName(typed));
      break;
    }
    case ControlKind::DriveList:
      form_.DriveChosen(gtk_combo_box_get_active(GTK_COMBO_BOX(widget)));
      break;
    case ControlKind::PushButton:
      Pressed(id);
      break;
    default:
      break;
  }
}

void DialogWindow::OnFocus(GtkWidget* focus) {
  ControlId id;
  if (focus != nullptr && IdOf(focus, id)) form_.FocusMoved(id);
}

// Tab and Shift+Tab go through the tab stops, Enter presses the default
// button (or opens a folder), Escape Cancel, F1 Help; the drive list takes
// letters, Left, Right and F4, the folder list letters. A text box's input
// method sees each of these keys first.
bool DialogWindow::OnKey(GdkEventKey* key) {
  const guint mods = key->state & gtk_accelerator_get_default_mod_mask();
  const guint keyval = key->keyval;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_.get()));
  ControlId focused = ControlId::lblFileName;  // not a stop: Tab starts at the first
  IdOf(focus, focused);
  const bool tab =
      keyval == GDK_KEY_Tab || keyval == GDK_KEY_KP_Tab || keyval == GDK_KEY_ISO_Left_Tab;
  const bool ours =
      (tab && (mods & ~GDK_SHIFT_MASK) == 0) ||
      ((IsEnter(keyval) || keyval == GDK_KEY_Escape || keyval == GDK_KEY_F1) && mods == 0);
  if (ours && GTK_IS_ENTRY(focus) && gtk_entry_im_context_filter_keypress(GTK_ENTRY(focus), key)) {
    return true;
  }
  if (tab && ours) {
    const bool forward = keyval != GDK_KEY_ISO_Left_Tab && (mods & GDK_SHIFT_MASK) == 0;
    gtk_widget_grab_focus(Widget(state_.NextTabStop(focused, forward)));
    return true;
  }
  if (ours && IsEnter(keyval)) {
    if (focused == ControlId::lstDir) {
      if (!form_.DirListEnter(CursorLine())) gtk_widget_error_bell(window_.get());
      desktop_.HandlerEnded();
    } else {
      Pressed(Control(focused).kind == ControlKind::PushButton ? focused : ControlId::cmdOK);
    }
    return true;
  }
  if (ours) {
    Pressed(keyval == GDK_KEY_Escape ? ControlId::cmdCancel : ControlId::cmdHelp);
    return true;
  }
  if (mods != 0) return false;
  if (focused == ControlId::lstDrive) {
    GtkComboBox* box = GTK_COMBO_BOX(Widget(ControlId::lstDrive));
    const int active = gtk_combo_box_get_active(box);
    if (keyval == GDK_KEY_F4) {
      gtk_combo_box_popup(box);
    } else if (keyval == GDK_KEY_Left || keyval == GDK_KEY_Right) {
      StepDrive(active + (keyval == GDK_KEY_Left ? -1 : 1));
    } else if (const std::string letter = TypedLetter(key); !letter.empty()) {
      StepDrive(view::NextLineStartingWith(drives_shown_, active, letter));
    } else {
      return false;
    }
    return true;
  }
  if (focused == ControlId::lstDir && folders_) {
    const std::string letter = TypedLetter(key);
    if (letter.empty()) return false;
    GtkTreeModel* model = folders_.get();
    SetCursorLine(view::NextLineStartingWith(
        view::FolderLineCount(model), CursorLine(), letter,
        [model](int line) { return std::string_view(view::FolderLine(model, line)->text); }));
    return true;
  }
  return false;
}

// Each entry passed is a selection, as arrow keys make one.
void DialogWindow::StepDrive(int index) {
  GtkComboBox* box = GTK_COMBO_BOX(Widget(ControlId::lstDrive));
  if (index < 0 || index >= static_cast<int>(drives_shown_.size())) return;
  if (index != gtk_combo_box_get_active(box)) gtk_combo_box_set_active(box, index);
}

GtkWidget* DialogWindow::Outer(ControlId id) const {
  return id == ControlId::lstDir ? folder_frame_ : Widget(id);
}

bool DialogWindow::IdOf(GtkWidget* widget, ControlId& id) const {
  for (; widget != nullptr; widget = gtk_widget_get_parent(widget)) {
    for (const ControlRow& row : kControls) {
      if (Widget(row.id) == widget) {
        id = row.id;
        return true;
      }
    }
  }
  return false;
}

}  // namespace tarnivo
