# The sway row with the output at scale 2: the same layout on twice the
# pixels, so the toy draws for a denser screen.
# shellcheck disable=SC2034  # read by sway.sh
scale=2
source "$(dirname "${BASH_SOURCE[0]}")/sway.sh"
