// The results list: column clicks and sort kinds, the sort at the end of a search, the
// selection through a sort, stored names shown decoded, type-ahead.
#include "gui_test_util.h"

namespace quillow::test {
namespace {

// One stored ZIP member (no data), its name bytes as given.
std::string ZipWithMember(const std::string& name) {
  std::string h(30, '\0');
  h[0] = 'P', h[1] = 'K', h[2] = 3, h[3] = 4;
  h[26] = static_cast<char>(name.size());
  return h + name;
}

class ResultsListTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    MakeForm();
    tree_ = std::make_unique<TempFolder>();
    tree_->Write("b.txt", std::string(30, 'b'));
    tree_->Write("A.TXT", std::string(10, 'a'));
    tree_->Write("c.txt", std::string(20, 'c'));
  }
  void TearDown() override {
    FormTest::TearDown();
    tree_.reset();
  }
  HWND List() const { return Control(id::Results); }

  std::unique_ptr<TempFolder> tree_;
};

using Texts = std::vector<std::string>;

TEST_F(ResultsListTest, ColumnClicksToggleWithinAColumnAndStartOverOnAnother) {
  Search("*.txt", tree_->Root());
  ASSERT_EQ(RowCount(List()), 3);
  const struct {
    int column;
    int kind;
    int sortedColumn;
    Texts order;
  } clicks[] = {
      {3, 7, 3, {"10", "20", "30"}},
      {3, 8, 3, {"30", "20", "10"}},
      {3, 7, 3, {"10", "20", "30"}},
      {3, 8, 3, {"30", "20", "10"}},
      // "File" was never clicked: it starts ascending, not at its descending kind.
      {0, 1, 0, {"A.TXT", "b.txt", "c.txt"}},
      {0, 2, 0, {"c.txt", "b.txt", "A.TXT"}},
  };
  for (const auto& c : clicks) {
    ClickColumn(List(), c.column);
    EXPECT_EQ(form_->Settings.SortType, c.kind);
    EXPECT_EQ(Column(c.sortedColumn), c.order) << "kind " << c.kind;
  }
}

TEST_F(ResultsListTest, EverySearchEndsSortedByTheLastChosenKind) {
  Search("*.txt", tree_->Root());
  ClickColumn(List(), 3);
  ClickColumn(List(), 3);
  ASSERT_EQ(form_->Settings.SortType, 8);
  tree_->Write("d.txt", std::string(25, 'd'));
  Search("*.txt", tree_->Root());
  EXPECT_EQ(Column(3), (Texts{"30", "25", "20", "10"}));
  EXPECT_EQ(form_->Settings.SortType, 8);  // a new search does not change it
}

TEST_F(ResultsListTest, SelectedRowsStaySelectedThroughASort) {
  Search("*.txt", tree_->Root());
  ClickColumn(List(), 0);  // A.TXT, b.txt, c.txt
  ListView_SetItemState(List(), 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(List(), 1, LVIS_SELECTED, LVIS_SELECTED);
  ClickColumn(List(), 0);  // c.txt, b.txt, A.TXT
  EXPECT_EQ(ListView_GetSelectedCount(List()), 2u);
  Texts selected;
  for (int i = -1; (i = ListView_GetNextItem(List(), i, LVNI_SELECTED)) >= 0;)
    selected.push_back(Cell(List(), i, 0));
  EXPECT_EQ(selected, (Texts{"b.txt", "A.TXT"}));
}

TEST_F(ResultsListTest, StoredDosNamesAreShownDecoded) {
  tree_->Write("zip\\names.zip", ZipWithMember("\x81"
                                               "ber.txt"));
  Search("*.txt", tree_->Path("zip"));
  ASSERT_EQ(RowCount(List()), 1);
  EXPECT_EQ(Cell(List(), 0, 0),
            "\xC3\xBC"
            "ber.txt");  // u with diaeresis, code page 437
  EXPECT_EQ(Cell(List(), 0, 1), tree_->Path("zip\\names.zip"));
}

TEST_F(ResultsListTest, TypingJumpsToTheNextMatchingName) {
  Search("*.txt", tree_->Root());
  ClickColumn(List(), 0);  // A.TXT, b.txt, c.txt
  LVFINDINFOW find{};
  find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
  find.psz = L"C";
  EXPECT_EQ(
      SendMessageW(List(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)),
      2);
  find.psz = L"a";
  EXPECT_EQ(SendMessageW(List(), LVM_FINDITEMW, 0, reinterpret_cast<LPARAM>(&find)), 0);
  find.psz = L"z";
  EXPECT_EQ(
      SendMessageW(List(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)),
      -1);
}

}  // namespace
}  // namespace quillow::test
