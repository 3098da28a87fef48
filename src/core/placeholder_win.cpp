// Keeps the library non-empty until the first Windows module of the core lands.
namespace vantrel { int core_placeholder_win = 0; }
