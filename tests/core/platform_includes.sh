#!/bin/bash
# The system's socket, descriptor, signal, iconv and locale headers belong to src/core/platform/
# alone; everything else reaches the system through it, so that another system's backend needs
# no caller changed. Usage: platform_includes.sh SOURCE_FOLDER
set -u
src=${1:?usage: platform_includes.sh SOURCE_FOLDER}
system='sys/[^>]*|netinet/[^>]*|arpa/[^>]*|net/[^>]*|linux/[^>]*|ifaddrs\.h|poll\.h|iconv\.h'
system+='|fcntl\.h|unistd\.h|langinfo\.h|locale\.h|clocale|signal\.h|csignal|pthread\.h'
system+='|windows\.h|winsock2\.h|ws2tcpip\.h|iphlpapi\.h'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*<($system)>"

outside=$(grep -rnE --include='*.cpp' --include='*.h' "$pattern" "$src" |
          grep -v "^$src/core/platform/")
if [ -n "$outside" ]; then
    echo "system headers outside $src/core/platform/ (use the platform layer):"
    echo "$outside"
    exit 1
fi
# A pattern that matches nothing would pass everything: the backends must match it.
if ! grep -rqE "$pattern" "$src/core/platform"; then
    echo "the pattern finds no system header even in $src/core/platform/"
    exit 1
fi
echo "platform headers: only in $src/core/platform/"
