// The in-memory serial line of the link tests, shared with the window tests.
#include "link/fake_port.cpp"
