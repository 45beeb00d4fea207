# Flashing examples/firmware.hex delivers every one of its record lines, its
# 128-byte records (268 bytes with the CR) included.
--- sim --save-firmware saved.hex
--- stdin
firmware 1 examples/firmware.hex
y

x
--- compare saved.hex examples/firmware.hex
