// The exchange with the controller lives here.
namespace korvi {}
