#pragma once
// Tells whether an address lies in a view of a mapped file (rather than in heap or stack
// memory), so tests and benchmarks can check that a read handed out the mapping itself
// and not a copy.

bool points_into_file_mapping(const void* address);
