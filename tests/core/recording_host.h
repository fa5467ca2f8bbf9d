// A search host that records every window step, for the engine tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "search/search_host.h"

namespace quillow::test {

class RecordingHost : public search::SearchHost {
 public:
  std::string lookIn, findFiles;
  std::vector<std::string> steps;  // the order of the window steps
  std::vector<search::ResultRow> rows;
  std::vector<std::string> lookingIn;
  std::vector<std::string> warnings;
  std::vector<int32_t> counts;
  std::string replacedLookIn;
  std::string notSearched;
  int32_t endCount = -1;
  // Called after each row is added (tests use it to press "Stop").
  std::function<void(const search::ResultRow&)> onRow;

  void Refuse() override { steps.push_back("refuse"); }
  std::string LookInText() override { return lookIn; }
  std::string FindFilesText() override { return findFiles; }
  void ReplaceLookInText(const std::string& quoted) override { replacedLookIn = quoted; }
  void RecordHistories(const std::string&, const std::string&) override {
    steps.push_back("histories");
  }
  void StartOfSearch() override { steps.push_back("start"); }
  void ShowElapsed(uint32_t) override {}
  void ShowLookingIn(const std::string& folder) override { lookingIn.push_back(folder); }
  void ShowFoundCount(int32_t found) override { counts.push_back(found); }
  void ShowNotSearched(const std::string& text) override {
    steps.push_back("not-searched");
    notSearched = text;
  }
  void AddRow(search::ResultRow&& row) override {
    rows.push_back(std::move(row));
    if (onRow) onRow(rows.back());
  }
  void EndOfSearch(int32_t found) override {
    steps.push_back("end");
    endCount = found;
  }
  void OpenWarnings(const std::string&) override { steps.push_back("open-warnings"); }
  void FinalSort() override { steps.push_back("sort"); }
  void WarningLine(const std::string& line) override { warnings.push_back(line); }
};

}  // namespace quillow::test
