// Keeps the simulator library non-empty until its engine lands.
namespace kvt::sim {
int placeholder() { return 0; }
}  // namespace kvt::sim
