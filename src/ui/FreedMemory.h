#pragma once

// Hands the heap's free pages back to the system. The allocator keeps what a
// program lets go of for its next requests; after big pictures are dropped
// for good (start-up's, a closed menu's) that would only weigh on the
// resident size of a program that runs all day.
void returnFreedMemory();
