#pragma once
// Whether anyone is left to answer the program. A termination signal or the end of the
// desktop session means no one is: the program must end on its own, at once. From then on
// no box or dialog is shown, every question takes its cancel answer, and work that would
// have asked the user (an entry change that cannot be stored at exit) keeps its data by
// itself instead.

// Set once, for the rest of the run.
void SetNoOneCanBeAsked();
bool NoOneCanBeAsked();
