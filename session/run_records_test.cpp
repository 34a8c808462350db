// The order of the list of run records, by each of its columns.
#include "session/run_records.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(RunRecordRows, SortByEachColumnKeepingEqualRowsNewestFirst) {
    const std::vector<RunRecordRow> newestFirst{
        {1, "", "2026-12-09 14:03:22 +0100", "b.orv", "/dev/ttyS1", "complete", "0", true},
        {2, "", "2026-12-09 13:00:00 +0100", "a.orv", "/dev/ttyS0", "unfinished", "unfinished",
         false},
        {3, "", "2026-12-09 12:00:00 +0000", "b.orv", "/dev/ttyS0", "complete with 10", "10", true},
        {4, "", "2026-12-08 09:00:00 +0100", "c.orv", "/dev/ttyS1", "complete with 9", "9", true},
    };
    struct Case {
        RunColumn column;
        bool ascending;
        std::vector<std::size_t> order;
    };
    const Case cases[] = {
        {RunColumn::Start, false, {1, 2, 3, 4}},  {RunColumn::Start, true, {4, 3, 2, 1}},
        {RunColumn::Program, true, {2, 1, 3, 4}}, {RunColumn::Program, false, {4, 1, 3, 2}},
        {RunColumn::Device, true, {2, 3, 1, 4}},  {RunColumn::Outcome, true, {1, 3, 4, 2}},
        {RunColumn::Errors, true, {2, 1, 4, 3}},  {RunColumn::Errors, false, {3, 4, 1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<RunRecordRow> rows = newestFirst;
        SortRunRecordRows(rows, c.column, c.ascending);
        std::vector<std::size_t> order;
        for (const RunRecordRow& row : rows) order.push_back(row.number);
        EXPECT_EQ(order, c.order) << RunColumnTitle(c.column) << (c.ascending ? " up" : " down");
    }
}

}  // namespace
}  // namespace zentrip
