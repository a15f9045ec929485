// Rows a toolkit test shows in a list gadget, kept here as a program keeps
// its own: the list shows them through its source, and each edit made here
// is told to the list through the change calls a program makes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "toolkit/gadgets.h"
#include "toolkit/list_source.h"

namespace vandrel::tk::testing {

struct TestRow {
  std::vector<std::string> columns;
  ImageRef image = nullptr;
};

class TestRows : public ListRowSource {
 public:
  // List `gadget` shows `initial` from now on, until this is destroyed.
  explicit TestRows(int gadget, std::vector<TestRow> initial = {})
      : rows(std::move(initial)), gadget_(gadget) {
    SetGadgetRowSource(gadget_, this);
  }
  ~TestRows() override { SetGadgetRowSource(gadget_, nullptr); }
  TestRows(const TestRows&) = delete;
  TestRows& operator=(const TestRows&) = delete;

  int rowCount() const override { return static_cast<int>(rows.size()); }
  std::string rowText(int row, int column) const override {
    const std::vector<std::string>& columns = rows[row].columns;
    return column < static_cast<int>(columns.size()) ? columns[column] : std::string();
  }
  ImageRef rowImage(int row) const override { return rows[row].image; }
  std::string rowNote(int) const override { return {}; }
  void removeRows(const std::vector<int>& gone) override {
    asked = gone;
    for (auto row = gone.rbegin(); row != gone.rend(); ++row) rows.erase(rows.begin() + *row);
    GadgetRowsRemoved(gadget_, gone);
  }

  void insert(int at, TestRow row) {
    rows.insert(rows.begin() + at, std::move(row));
    GadgetRowsInserted(gadget_, at, 1);
  }
  void append(TestRow row) { insert(rowCount(), std::move(row)); }
  void setImage(int row, ImageRef image) {
    rows[row].image = image;
    GadgetRowsChanged(gadget_, row, 1);
  }

  // Changed directly, the list is told nothing: the test tells it.
  std::vector<TestRow> rows;
  // The rows the list last asked to remove.
  std::vector<int> asked;

 private:
  int gadget_;
};

}  // namespace vandrel::tk::testing
