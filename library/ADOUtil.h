#pragma once
// Dataset helpers used wherever a table is closed.

class TTableDataset;

// Stores a pending change of the dataset (Edit or Insert); does nothing otherwise.
void PostIfEditing(TTableDataset& DataSet);
// Stores a pending change, then closes. A new row is stored even when untouched, so closing
// never silently loses what the user started; a refused store throws and leaves it open.
void CloseTable(TTableDataset& DataSet);
