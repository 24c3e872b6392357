// MemoryReuse: keeping the memory an opening frees for its next pass.
//
// An opening reads the game twice (without and with the mod). Memory the first pass frees
// would otherwise be handed back to the system and, a moment later, asked for and faulted in
// again page by page by the second. The programs call this once at start-up.
#pragma once

// With glibc: keep 16 MB beyond what the heap needs when it grows, give freed memory back
// only above 64 MB, and take blocks of up to 32 MB from the heap rather than mapping each
// anew. Elsewhere nothing.
void KeepFreedMemoryForReuse();
