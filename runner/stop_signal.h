#pragma once
// The signals that stop a run (SIGINT, SIGTERM, SIGHUP, SIGQUIT): mpiexec
// passes a Ctrl-C on to every process of the job. Rank zero sends no further
// case and ends with 128 + the signal; a worker takes the signal as the
// user's stop, so its case in hand ends as not run.

// Installs the handlers; worker says the process is a worker.
void InstallStopSignalHandlers(bool worker);

// The first stop signal that came, 0 for none.
int StopSignal();
