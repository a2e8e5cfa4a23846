#include "library/ADOUtil.h"

#include "library/TableDataset.h"

void PostIfEditing(TTableDataset& DataSet)
{
    if (DataSet.State() == DatasetState::Edit || DataSet.State() == DatasetState::Insert)
        DataSet.Post();
}

void CloseTable(TTableDataset& DataSet)
{
    PostIfEditing(DataSet);
    DataSet.Close();
}
