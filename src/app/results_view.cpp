// The results list shows the results model; see results_view.h.
#include "app/results_view.h"

#include <utility>
#include <vector>

#include "app/results_model/results_model.h"
#include "core/ids.h"
#include "toolkit/list_source.h"
#include "toolkit/resources.h"

namespace vandrel {
namespace {

// A row from a checksum list has an image of its own for each verdict.
int VerdictImage(engine::Verdict verdict) {
  switch (verdict) {
    case engine::Verdict::Computed:
      return kImageRowComputed;
    case engine::Verdict::Matched:
      return kImageRowMatches;
    case engine::Verdict::Differs:
      return kImageRowDiffers;
    case engine::Verdict::Missing:
      return kImageRowMissing;
    case engine::Verdict::Abandoned:
      return kImageRowQueued;
    case engine::Verdict::Failed:
      break;
  }
  return kImageRowFailed;
}

class ResultsView : public tk::ListRowSource, public ResultsModel::Observer {
 public:
  int rowCount() const override { return static_cast<int>(Results().size()); }

  std::string rowText(int row, int column) const override {
    const ResultRow& shown = Results().row(static_cast<std::size_t>(row));
    return column == 0 ? shown.path : column == 1 ? shown.digest : std::string();
  }

  tk::ImageRef rowImage(int row) const override {
    const ResultRow& shown = Results().row(static_cast<std::size_t>(row));
    switch (shown.state) {
      case RowState::Queued:
        return tk::ImageID(kImageRowQueued);
      case RowState::Computing:
        return tk::ImageID(kImageRowComputing);
      case RowState::Done:
        break;
    }
    return tk::ImageID(VerdictImage(shown.verdict));
  }

  // A different digest is still shown, so the user sees what the file
  // holds; the tooltip says what was expected.
  std::string rowNote(int row) const override {
    const ResultRow& shown = Results().row(static_cast<std::size_t>(row));
    if (shown.state != RowState::Done) return {};
    if (shown.verdict == engine::Verdict::Differs) {
      return FormatDifference(shown.expectedHex, shown.digest, words_);
    }
    DigestResult result;
    result.failure = shown.failure;
    result.error = shown.error;
    result.bytesRead = shown.bytesRead;
    return FormatFailureReason(result, words_);
  }

  void removeRows(const std::vector<int>& rows) override {
    Results().remove(std::vector<std::size_t>(rows.begin(), rows.end()));
  }

  void rowsInserted(std::size_t first, std::size_t count) override {
    tk::GadgetRowsInserted(kGadgetResults, static_cast<int>(first), static_cast<int>(count));
  }
  void rowsChanged(std::size_t first, std::size_t count) override {
    tk::GadgetRowsChanged(kGadgetResults, static_cast<int>(first), static_cast<int>(count));
  }
  void rowsRemoved(const std::vector<std::size_t>& rows) override {
    tk::GadgetRowsRemoved(kGadgetResults, std::vector<int>(rows.begin(), rows.end()));
  }
  void rowsReset() override { tk::GadgetRowsReset(kGadgetResults); }

  void useWords(FailureTexts words) { words_ = std::move(words); }

 private:
  FailureTexts words_;
};

ResultsView& View() {
  static ResultsView view;
  return view;
}

}  // namespace

void ShowResultsInList() {
  Results().clear();
  Results().setObserver(&View());
  tk::SetGadgetRowSource(kGadgetResults, &View());
}

void UseFailureTexts(FailureTexts texts) { View().useWords(std::move(texts)); }

}  // namespace vandrel
