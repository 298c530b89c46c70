// CSV recording lives here.
namespace korvi {}
