// The directory list's lines as a GtkTreeModel, built once per folder from
// the lines DialogState gives (no row is copied into a store, so a folder of
// 100 000 subfolders opens as fast as it is read).
//
// The model is a tree, as the list is: each folder that leads to the open
// one is the only child of the one before, and the open folder's subfolders
// are its children. A tree view that expands every row shows the lines in
// their order, indented by depth, and a screen reader hears each line's
// level and whether it is open (expanded).
#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "dialog/DirListModel.h"

namespace tarnivo::view {

// The columns: the text shown (G_TYPE_STRING) and whether the folder is
// open (G_TYPE_BOOLEAN).
inline constexpr int kFolderText = 0;
inline constexpr int kFolderOpen = 1;

// A new model over `lines` (their texts as shown), with a reference for the
// caller. Lines that are not laid out as DirLines lays them out are shown
// as a flat list.
GtkTreeModel* NewFolderModel(std::vector<DirLine> lines);

// The line (from 0) that `iter` of a folder model stands for.
int FolderLineAt(GtkTreeModel* model, const GtkTreeIter* iter);
// The line itself, or null when `iter` is not one of the model's.
const DirLine* FolderLine(GtkTreeModel* model, const GtkTreeIter* iter);
// Line `line` (from 0), or null when there is no such line.
const DirLine* FolderLine(GtkTreeModel* model, int line);
// The path of line `line`, new (gtk_tree_path_free it); null when there is
// no such line.
GtkTreePath* FolderPathOf(GtkTreeModel* model, int line);
// The number of lines.
int FolderLineCount(GtkTreeModel* model);

}  // namespace tarnivo::view
