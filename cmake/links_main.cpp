// Linked with the whole of one library (cmake/NorvaneLinks.cmake): the link
// succeeds only when the library declares every library it uses.
int main() { return 0; }
