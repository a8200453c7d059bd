#pragma once

namespace qorprt {

// The four forms of a horizontal rule: "-l", "=L", "L0", "l"/"L".
enum class RuleForm { TickDown, Double, Plain, TickUp };

} // namespace qorprt
