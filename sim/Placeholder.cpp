// The controller simulator lives here.
namespace korvi {}
