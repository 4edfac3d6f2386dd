#pragma once
// The solution file writer of the tests lives beside the raw reader.
#include "results/objects/solverfiles/testing/solution_file_writer.h"
