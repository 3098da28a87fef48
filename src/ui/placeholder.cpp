// Keeps the library non-empty until the form kit lands.
namespace vantrel::ui { int ui_placeholder = 0; }
