#include "dialog/gtk/FolderModel.h"

#include <algorithm>
#include <utility>

namespace tarnivo::view {
namespace {

// The lines, and how they hang together: lines 0 to chain - 1 each hold the
// next; the rest are children of the last of them. `chain` is 0 for a flat
// list (every line at the top).
struct Lines {
  std::vector<DirLine> lines;
  int chain = 0;
  int Count() const { return static_cast<int>(lines.size()); }
};

}  // namespace

struct FolderModelObject {
  GObject parent;
  Lines* data;
  int stamp;
};

struct FolderModelObjectClass {
  GObjectClass parent;
};

namespace {

void FolderModelInterfaceInit(GtkTreeModelIface* iface);

}  // namespace

G_DEFINE_TYPE_WITH_CODE(FolderModelObject, folder_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, FolderModelInterfaceInit))

namespace {

FolderModelObject* Self(GtkTreeModel* model) {
  return G_TYPE_CHECK_INSTANCE_CAST(model, folder_model_get_type(), FolderModelObject);
}

Lines& Data(GtkTreeModel* model) { return *Self(model)->data; }

bool SetIter(GtkTreeModel* model, GtkTreeIter* iter, int line) {
  if (line < 0 || line >= Data(model).Count()) {
    iter->stamp = 0;
    return false;
  }
  iter->stamp = Self(model)->stamp;
  iter->user_data = GINT_TO_POINTER(line);
  return true;
}

// The line of `iter`, or -1 when it is not one of this model's (or null:
// the top).
int LineOf(GtkTreeModel* model, const GtkTreeIter* iter) {
  if (iter == nullptr || iter->stamp != Self(model)->stamp) return -1;
  return GPOINTER_TO_INT(iter->user_data);
}

// How many children `line` has; -1 is the top.
int ChildCount(const Lines& data, int line) {
  if (data.Count() == 0) return 0;
  if (line < 0) return data.chain == 0 ? data.Count() : 1;
  if (line < data.chain - 1) return 1;
  if (line == data.chain - 1) return data.Count() - data.chain;
  return 0;
}

// Child `n` of `line` (-1: the top), or -1.
int NthChild(const Lines& data, int line, int n) {
  if (n < 0 || n >= ChildCount(data, line)) return -1;
  if (line < 0) return n;
  return line < data.chain - 1 ? line + 1 : data.chain + n;
}

int Parent(const Lines& data, int line) {
  if (line < 0 || data.chain == 0) return -1;
  return line < data.chain ? line - 1 : data.chain - 1;
}

GtkTreeModelFlags GetFlags(GtkTreeModel*) { return GTK_TREE_MODEL_ITERS_PERSIST; }

gint GetNColumns(GtkTreeModel*) { return 2; }

GType GetColumnType(GtkTreeModel*, gint column) {
  return column == kFolderOpen ? G_TYPE_BOOLEAN : G_TYPE_STRING;
}

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
  const Lines& data = Data(model);
  int depth = 0;
  const gint* indices = gtk_tree_path_get_indices_with_depth(path, &depth);
  int line = -1;
  for (int level = 0; level < depth; ++level) {
    line = NthChild(data, line, indices[level]);
    if (line < 0) break;
  }
  return SetIter(model, iter, line);
}

GtkTreePath* GetPath(GtkTreeModel* model, GtkTreeIter* iter) {
  const Lines& data = Data(model);
  const int line = LineOf(model, iter);
  GtkTreePath* path = gtk_tree_path_new();
  if (line < 0) return path;
  if (data.chain == 0) {
    gtk_tree_path_append_index(path, line);
    return path;
  }
  for (int level = 0; level <= std::min(line, data.chain - 1); ++level) {
    gtk_tree_path_append_index(path, 0);
  }
  if (line >= data.chain) gtk_tree_path_append_index(path, line - data.chain);
  return path;
}

void GetValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
  const int line = LineOf(model, iter);
  const DirLine* shown = line >= 0 ? &Data(model).lines[static_cast<std::size_t>(line)] : nullptr;
  if (column == kFolderOpen) {
    g_value_init(value, G_TYPE_BOOLEAN);
    g_value_set_boolean(value, shown != nullptr && shown->open);
  } else {
    g_value_init(value, G_TYPE_STRING);
    g_value_set_string(value, shown != nullptr ? shown->text.c_str() : "");
  }
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* iter) {
  const Lines& data = Data(model);
  const int line = LineOf(model, iter);
  const bool has_next = line >= data.chain && line + 1 < data.Count();
  return SetIter(model, iter, has_next ? line + 1 : -1);
}

gboolean IterPrevious(GtkTreeModel* model, GtkTreeIter* iter) {
  const Lines& data = Data(model);
  const int line = LineOf(model, iter);
  return SetIter(model, iter, line > data.chain ? line - 1 : -1);
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
  return SetIter(model, iter, NthChild(Data(model), parent ? LineOf(model, parent) : -1, n));
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
  return IterNthChild(model, iter, parent, 0);
}

gboolean IterHasChild(GtkTreeModel* model, GtkTreeIter* iter) {
  return ChildCount(Data(model), LineOf(model, iter)) > 0;
}

gint IterNChildren(GtkTreeModel* model, GtkTreeIter* iter) {
  return ChildCount(Data(model), iter ? LineOf(model, iter) : -1);
}

gboolean IterParent(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* child) {
  return SetIter(model, iter, Parent(Data(model), LineOf(model, child)));
}

void FolderModelInterfaceInit(GtkTreeModelIface* iface) {
  iface->get_flags = GetFlags;
  iface->get_n_columns = GetNColumns;
  iface->get_column_type = GetColumnType;
  iface->get_iter = GetIter;
  iface->get_path = GetPath;
  iface->get_value = GetValue;
  iface->iter_next = IterNext;
  iface->iter_previous = IterPrevious;
  iface->iter_children = IterChildren;
  iface->iter_has_child = IterHasChild;
  iface->iter_n_children = IterNChildren;
  iface->iter_nth_child = IterNthChild;
  iface->iter_parent = IterParent;
}

void Finalize(GObject* object) {
  delete reinterpret_cast<FolderModelObject*>(object)->data;
  G_OBJECT_CLASS(folder_model_parent_class)->finalize(object);
}

// The lines that lead to the open folder, each a level deeper than the one
// before, with the rest one level below the last of them: their count; 0
// when the lines are laid out otherwise.
int ChainOf(const std::vector<DirLine>& lines) {
  const int current = CurrentDirLine(lines);
  if (current < 0) return 0;
  const int top = lines.front().depth;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const int wanted = top + (i <= current ? i : current + 1);
    if (lines[static_cast<std::size_t>(i)].depth != wanted) return 0;
  }
  return current + 1;
}

}  // namespace

static void folder_model_class_init(FolderModelObjectClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = Finalize;
}

static void folder_model_init(FolderModelObject* self) {
  self->data = new Lines;
  self->stamp = g_random_int_range(1, G_MAXINT32);
}

GtkTreeModel* NewFolderModel(std::vector<DirLine> lines) {
  auto* model = static_cast<FolderModelObject*>(g_object_new(folder_model_get_type(), nullptr));
  model->data->chain = ChainOf(lines);
  model->data->lines = std::move(lines);
  return GTK_TREE_MODEL(model);
}

int FolderLineAt(GtkTreeModel* model, const GtkTreeIter* iter) { return LineOf(model, iter); }

const DirLine* FolderLine(GtkTreeModel* model, const GtkTreeIter* iter) {
  return FolderLine(model, LineOf(model, iter));
}

const DirLine* FolderLine(GtkTreeModel* model, int line) {
  const Lines& data = Data(model);
  return line >= 0 && line < data.Count() ? &data.lines[static_cast<std::size_t>(line)] : nullptr;
}

GtkTreePath* FolderPathOf(GtkTreeModel* model, int line) {
  GtkTreeIter iter;
  if (!SetIter(model, &iter, line)) return nullptr;
  return GetPath(model, &iter);
}

int FolderLineCount(GtkTreeModel* model) { return Data(model).Count(); }

}  // namespace tarnivo::view
