#!/bin/sh
# A spooler port command: stores each raw job it is given as the next numbered file in the folder $1.
folder="$1"
mkdir -p "$folder"
n=$(ls "$folder" | grep -c '\.bin$')
name=$(printf 'job-%05d' "$n")
cat > "$folder/$name.part" && mv "$folder/$name.part" "$folder/$name.bin"
