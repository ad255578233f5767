// The folder list's tree model: every line at its place in the tree, in the
// order the list shows them, and back from its path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/DirListModel.h"
#include "dialog/gtk/FolderModel.h"
#include "dialog/gtk/GObjectRef.h"

namespace tarnivo::view {
namespace {

struct Row {
  int line;
  std::string path;
  int children;
};

// Every row, depth first, as a tree view walks the model.
std::vector<Row> Walk(GtkTreeModel* model) {
  std::vector<Row> rows;
  gtk_tree_model_foreach(
      model,
      +[](GtkTreeModel* walked, GtkTreePath* path, GtkTreeIter* iter, gpointer data) -> gboolean {
        gchar* text = gtk_tree_path_to_string(path);
        static_cast<std::vector<Row>*>(data)->push_back(
            {FolderLineAt(walked, iter), text, gtk_tree_model_iter_n_children(walked, iter)});
        g_free(text);
        return FALSE;
      },
      &rows);
  return rows;
}

TEST(FolderModel, LinesHangTogetherAsTheWayToTheOpenFolderAndItsSubfolders) {
  const struct {
    const char* what;
    std::vector<DirLine> lines;
    std::vector<Row> rows;
  } cases[] = {
      {"subfolders under the open folder",
       DirLines("D:\\Backup\\Old", {"2023", "2024"}),
       {{0, "0", 1}, {1, "0:0", 1}, {2, "0:0:0", 2}, {3, "0:0:0:0", 0}, {4, "0:0:0:1", 0}}},
      {"a root without subfolders", DirLines("C:\\", {}), {{0, "0", 0}}},
      {"a folder that cannot be listed",
       DirLines("\\\\nas\\share\\x", {}),
       {{0, "0", 1}, {1, "0:0", 0}}},
      {"lines laid out otherwise: a flat list",
       {{"a", "A:\\a", 0, true}, {"b", "A:\\b", 3, false}, {"c", "A:\\c", 0, true}},
       {{0, "0", 0}, {1, "1", 0}, {2, "2", 0}}},
      {"no lines", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GObjectRef<GtkTreeModel> model(NewFolderModel(c.lines));
    const std::vector<Row> rows = Walk(model.get());
    ASSERT_EQ(rows.size(), c.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].line, c.rows[i].line) << i;
      EXPECT_EQ(rows[i].path, c.rows[i].path) << i;
      EXPECT_EQ(rows[i].children, c.rows[i].children) << i;
      // And back: the line's path, and the line at that path.
      GtkTreePath* path = FolderPathOf(model.get(), c.rows[i].line);
      ASSERT_NE(path, nullptr);
      gchar* text = gtk_tree_path_to_string(path);
      EXPECT_STREQ(text, c.rows[i].path.c_str());
      g_free(text);
      GtkTreeIter iter;
      ASSERT_TRUE(gtk_tree_model_get_iter(model.get(), &iter, path));
      EXPECT_EQ(FolderLine(model.get(), &iter), FolderLine(model.get(), c.rows[i].line));
      gtk_tree_path_free(path);
    }
    EXPECT_EQ(FolderPathOf(model.get(), static_cast<int>(c.lines.size())), nullptr);
    EXPECT_EQ(FolderLineCount(model.get()), static_cast<int>(c.lines.size()));
  }
}

}  // namespace
}  // namespace tarnivo::view
